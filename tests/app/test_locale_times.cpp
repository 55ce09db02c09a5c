// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/form1.h"
#include "app/time_room.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "lang/format.h"

#include <QDateTimeEdit>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace klangor::fakes;

namespace {

// The widest time of day the time field shows in the default locale, by trying every second.
QTime widestTime(const QFontMetrics& fm, const QString& format) {
    static QHash<QString, QTime> known;
    const QString key = QLocale().name() + format + QString::number(fm.height());
    if (auto it = known.constFind(key); it != known.constEnd())
        return *it;
    QTime widest(0, 0, 0);
    int most = -1;
    for (int s = 0; s < 24 * 3600; ++s) {
        const QTime t = QTime(0, 0).addSecs(s);
        if (const int w = fm.horizontalAdvance(QLocale().toString(t, format)); w > most) {
            most = w;
            widest = t;
        }
    }
    known.insert(key, widest);
    return widest;
}

QString describe(const QWidget* w) {
    const QRect g = w->geometry();
    return QStringLiteral("%1 at %2,%3 %4x%5")
        .arg(w->objectName())
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height());
}

// Every label and time field that shows under `root` holds its text whole, and no two labels
// (or a label and a control) side by side cover each other.
void checkWhole(QWidget* root, QWidget* window) {
    for (QLabel* l : root->findChildren<QLabel*>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty())
            continue;
        const QFontMetrics fm(l->font());
        QRect room =
            l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        if (l->wordWrap()) {
            const QRect used = fm.boundingRect(room, Qt::TextWordWrap | l->alignment(), l->text());
            QVERIFY2(room.contains(used), qPrintable(describe(l) + QStringLiteral(": \"") +
                                                     l->text() + QStringLiteral("\" cut")));
            continue;
        }
        const int width = fm.horizontalAdvance(l->text());
        QVERIFY2(width <= room.width() && fm.height() <= room.height(),
                 qPrintable(QStringLiteral("%1: \"%2\" needs %3x%4")
                                .arg(describe(l), l->text())
                                .arg(width)
                                .arg(fm.height())));
    }
    for (QDateTimeEdit* field : root->findChildren<QDateTimeEdit*>()) {
        if (!field->isVisibleTo(window))
            continue;
        auto* edit = field->findChild<QLineEdit*>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), field->locale().toString(field->time(), field->displayFormat()));
        const QFontMetrics fm(edit->font());
        // QLineEdit keeps 2 px on either side and the cursor after the text; a longer text
        // scrolls and is cut.
        const int width = fm.horizontalAdvance(edit->text()) + 1;
        QVERIFY2(width <= edit->contentsRect().width() - 4 && fm.height() <= edit->height(),
                 qPrintable(QStringLiteral("%1: \"%2\" needs %3, the field has %4")
                                .arg(describe(field), edit->text())
                                .arg(width)
                                .arg(edit->contentsRect().width() - 4)));
    }
    // Side by side: a label against every sibling that shows.
    for (QWidget* parent : root->findChildren<QWidget*>()) {
        const QList<QWidget*> kids = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : kids) {
            if (!qobject_cast<QLabel*>(a) || !a->isVisibleTo(window) ||
                static_cast<QLabel*>(a)->text().isEmpty())
                continue;
            for (QWidget* b : kids) {
                if (b == a || !b->isVisibleTo(window) || b->isWindow())
                    continue;
                if (auto* lb = qobject_cast<QLabel*>(b); lb && lb->text().isEmpty())
                    continue;
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(describe(a) + QStringLiteral(" covers ") + describe(b)));
            }
        }
    }
}

}  // namespace

// The window in the long time formats of other locales: 12-hour clocks with AM/PM after the time
// ("4:18:14 PM"), Arabic digits and letters, Japanese units ("16時18分14秒"), 24-hour clocks.
// Started by ctest in en_US.UTF-8, which the "system" rows take from the environment; the
// others are set as the default locale. Rendered offscreen with the fonts the machine has.
class TestLocaleTimes : public QObject {
    Q_OBJECT

private slots:
    // The look the program starts with: its theme draws the time field's frame and arrows.
    void initTestCase() { klangor::setUpApplication(); }
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    // The status line's arithmetic: designed places kept where the texts fit, the rest pushed
    // right by the one that does not, and no answer when the line runs past its end.
    void placeOnLine_data() {
        QTest::addColumn<QList<int>>("needed");
        QTest::addColumn<int>("lineEnd");
        QTest::addColumn<QList<int>>("xs");  // empty: does not fit
        QTest::addColumn<QList<int>>("widths");
        // Designed: 5+30, 40+50, 100+60; gap 3.
        QTest::newRow("all fit") << QList<int>{20, 45, 50} << 160 << QList<int>{5, 40, 100}
                                 << QList<int>{30, 50, 60};
        QTest::newRow("first pushes the rest")
            << QList<int>{50, 60, 40} << 170 << QList<int>{5, 58, 121} << QList<int>{50, 60, 49};
        QTest::newRow("last kept within the line")
            << QList<int>{20, 45, 40} << 150 << QList<int>{5, 40, 100} << QList<int>{30, 50, 50};
        QTest::newRow("runs past the end")
            << QList<int>{50, 60, 40} << 160 << QList<int>{} << QList<int>{};
    }
    void placeOnLine() {
        QFETCH(QList<int>, needed);
        QFETCH(int, lineEnd);
        QFETCH(QList<int>, xs);
        QFETCH(QList<int>, widths);
        const std::vector<QRect> designed{{5, 7, 30, 18}, {40, 7, 50, 18}, {100, 7, 60, 18}};
        const auto places =
            klangor::placeOnLine(designed, {needed.begin(), needed.end()}, 3, lineEnd);
        QCOMPARE(places.has_value(), !xs.isEmpty());
        for (qsizetype i = 0; i < xs.size(); ++i) {
            QCOMPARE((*places)[i].x(), xs[i]);
            QCOMPARE((*places)[i].width(), widths[i]);
            QCOMPARE((*places)[i].y(), 7);
        }
    }

    void everyTimeWhole_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("lang");
        for (const char* l : {"", "en_GB", "tr_TR", "de_DE", "ja_JP", "ar_EG"})
            for (const char* lang : {"ENG", "TR"})
                QTest::addRow("%s %s", *l ? l : "system", lang)
                    << QString::fromLatin1(l) << QString::fromLatin1(lang);
    }
    void everyTimeWhole() {
        QFETCH(QString, locale);
        QFETCH(QString, lang);
        if (locale.isEmpty())
            QCOMPARE(QLocale::system().name(), QStringLiteral("en_US"));
        else
            QLocale::setDefault(QLocale(locale));

        Fakes fakes;
        fakes.settings->present = true;
        fakes.settings->values.insert(QStringLiteral("lang"), lang);
        TForm1 form(fakes.platform());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(TForm1Access::lang(form), lang);
        auto c = ctl(form);

        // The widest time in the field and on the status line: started at it, ending at it.
        const QTime widest = widestTime(QFontMetrics(c.wwDBDateTimePicker1->font()),
                                        c.wwDBDateTimePicker1->displayFormat());
        fakes.clock->set(QDateTime(QDate(2026, 3, 2), widest));
        c.wwDBDateTimePicker1->setTime(widest);
        checkWhole(c.TabSheet1, &form);
        fakes.clock->set(QDateTime(QDate(2026, 3, 2), widest.addSecs(-1)));
        form.Button1Click();
        form.Timer1Timer();
        QVERIFY(c.lblStart->text().contains(
            QLocale().toString(widest.addSecs(-1), klangor::LongTimeFormat())));
        QCOMPARE(c.lblx->text(), QStringLiteral("00:00:01"));
        QVERIFY(!form.grab().isNull());
        checkWhole(c.TabSheet1, &form);
        checkWhole(c.Panel4, &form);

        // The delay panel's longest wait, 999 hours ahead: the day before the end, three digits
        // of hours left.
        form.Button1Click();
        TForm1Access::alarm(form).armAt(fakes.clock->now().addSecs(999 * 3600 + 59 * 60));
        form.Timer1Timer();
        QVERIFY2(c.lblx->text().startsWith(QStringLiteral("999:5")), qPrintable(c.lblx->text()));
        QVERIFY2(c.lblEnd->text().size() > c.lblStart->text().size(), qPrintable(c.lblEnd->text()));
        QVERIFY(!form.grab().isNull());
        checkWhole(c.TabSheet1, &form);

        // The repeater's lines: started, a first warning, stopped.
        c.PageControl1->setCurrentIndex(1);
        form.repeater_startClick();
        fakes.clock->advanceMs(qint64(c.xMinutes->value()) * 60000 + 30000);
        form.repeaterTimer();
        form.repeater_stopClick();
        QVERIFY(!c.lblLastx->text().isEmpty());
        QVERIFY(!form.grab().isNull());
        checkWhole(c.TabSheet2, &form);
    }
};

QTEST_MAIN(TestLocaleTimes)
#include "test_locale_times.moc"
