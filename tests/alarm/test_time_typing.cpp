// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm_fixture.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QLineEdit>

#include <memory>

using klangor::test::AlarmFixture;
using klangor::test::today;

namespace {

// A point in the middle of the field's text at character `pos`, as a click would hit it.
QPoint pointAt(QLineEdit* edit, int pos) {
    for (int x = 0; x < edit->width(); ++x)
        if (edit->cursorPositionAt(QPoint(x, edit->height() / 2)) > pos)
            return {x, edit->height() / 2};
    return {edit->width() - 1, edit->height() / 2};
}

// The window made under `locale`, which gives the field its time format.
struct LocaleWindow {
    QLocale before;
    std::unique_ptr<AlarmFixture> f;
    LocaleWindow(const QString& locale, const QTime& now) {
        QLocale::setDefault(QLocale(locale));
        f = std::make_unique<AlarmFixture>(today(now));
    }
    ~LocaleWindow() {
        f.reset();
        QLocale::setDefault(before);
    }
    QDateTimeEdit* picker() const { return ctl(f->form).wwDBDateTimePicker1; }
    QLineEdit* edit() const { return picker()->findChild<QLineEdit*>(); }
};

}  // namespace

class TestTimeTyping : public QObject {
    Q_OBJECT

private slots:
    // What a user types into the field, in a 24-hour and a 12-hour locale. "click:N" clicks
    // the text at character N, "all" is Ctrl+A, "shift" the Shift key alone, "focus" puts the
    // focus in as the window does when it opens, anything else is typed.
    void typing_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QTime>("expected");
        QTest::addColumn<int>("selected");  // the part selected afterwards
        const int hours = QDateTimeEdit::HourSection;
        const int minutes = QDateTimeEdit::MinuteSection;
        const int seconds = QDateTimeEdit::SecondSection;
        const int meridiem = QDateTimeEdit::AmPmSection;
        for (const char* locale : {"de_DE", "en_US"}) {
            const QString l = QString::fromLatin1(locale);
            // Filled seconds move on to AM/PM where the field has it.
            const int last = l == QLatin1String("en_US") ? meridiem : seconds;
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::addRow("%s, %s", locale, name) << l;
            };
            row("all, with separators") << QStringList{"all", "07:30:00"} << QTime(7, 30) << last;
            row("all, Shift pressed for the separators")
                << QStringList{"all", "07", "shift", ":", "30", "shift", ":", "00"} << QTime(7, 30)
                << last;
            row("all, without separators") << QStringList{"all", "073000"} << QTime(7, 30) << last;
            row("all, single-digit parts") << QStringList{"all", "7:5:9"} << QTime(7, 5, 9) << last;
            row("focus, hours and minutes")
                << QStringList{"focus", "2345"} << QTime(23, 45, 14) << seconds;
            row("click in the hours")
                << QStringList{"click:0", "07"} << QTime(7, 18, 14) << minutes;
            row("click in the hours, one digit")
                << QStringList{"click:0", "1"} << QTime(1, 18, 14) << hours;
            row("hours beyond 23 begin anew")
                << QStringList{"click:0", "25"} << QTime(5, 18, 14) << minutes;
            row("click in the minutes")
                << QStringList{"click:_m", "59"} << QTime(16, 59, 14) << seconds;
            row("click in the seconds, separator")
                << QStringList{"click:_s", "4:"} << QTime(16, 18, 4) << last;
        }
        QTest::newRow("en_US, PM typed")
            << QStringLiteral("en_US") << QStringList{"all", "7:30:00 PM"} << QTime(19, 30)
            << meridiem;
        QTest::newRow("en_US, AM typed")
            << QStringLiteral("en_US") << QStringList{"all", "193000a"} << QTime(7, 30) << meridiem;
        QTest::newRow("en_US, 24-hour hours")
            << QStringLiteral("en_US") << QStringList{"all", "193000"} << QTime(19, 30) << meridiem;
    }

    void typing() {
        QFETCH(QString, locale);
        QFETCH(QStringList, steps);
        QFETCH(QTime, expected);
        QFETCH(int, selected);
        LocaleWindow w(locale, QTime(16, 18, 14));
        QDateTimeEdit* picker = w.picker();
        picker->setTime(QTime(16, 18, 14));
        ctl(w.f->form).ComboBox1->setFocus();
        const bool twelveHours = picker->displayFormat().contains(QLatin1String("AP"));
        QCOMPARE(twelveHours, locale == QLatin1String("en_US"));
        for (const QString& step : steps) {
            if (step == QLatin1String("all")) {
                picker->setFocus(Qt::MouseFocusReason);
                QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
            } else if (step == QLatin1String("shift")) {  // pressed on its own, as for ":"
                QTest::keyClick(picker, Qt::Key_Shift);
            } else if (step == QLatin1String("focus")) {
                picker->setFocus(Qt::OtherFocusReason);
            } else if (step.startsWith(QLatin1String("click:"))) {
                const QString text = w.edit()->text();
                const QString at = step.mid(6);
                // "_m" and "_s": the minutes and the seconds, after the first and second ":".
                int pos = at.toInt();
                if (at == QLatin1String("_m"))
                    pos = text.indexOf(QLatin1Char(':')) + 1;
                else if (at == QLatin1String("_s"))
                    pos = text.lastIndexOf(QLatin1Char(':')) + 1;
                QTest::mouseClick(w.edit(), Qt::LeftButton, {}, pointAt(w.edit(), pos));
                QCOMPARE(QApplication::focusWidget(), picker);
            } else {
                QTest::keyClicks(picker, step);
            }
        }
        QCOMPARE(picker->time(), expected);
        QCOMPARE(int(picker->currentSection()), selected);
        QCOMPARE(w.edit()->selectedText(), picker->sectionText(picker->currentSection()));
    }

    // "*" still opens the delay panel from the field, and digits typed there go to the panel.
    void starStillOpensTheDelayPanel() {
        AlarmFixture f(today(QTime(12, 0)));
        QDateTimeEdit* picker = ctl(f.form).wwDBDateTimePicker1;
        picker->setFocus();
        QTest::keyClicks(picker, QStringLiteral("*"));
        QVERIFY(ctl(f.form).Panel2->isVisible());
        QCOMPARE(picker->time(), QTime(12, 0));
    }
};

QTEST_MAIN(TestTimeTyping)
#include "test_time_typing.moc"
