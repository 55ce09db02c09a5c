// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm_fixture.h"

#include <QApplication>
#include <QLineEdit>

using klangor::test::A;
using klangor::test::AlarmFixture;
using klangor::test::kToday;
using klangor::test::today;

namespace {

QPushButton* minuteButton(TForm1& form, const QString& caption) {
    for (QPushButton* b : ctl(form).Panel2->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

void typeInto(QSpinBox* box, const QString& text) {
    box->findChild<QLineEdit*>()->setText(text);
}

}  // namespace

class TestQuickDelay : public QObject {
    Q_OBJECT

private slots:
    void opensUnderTheTriangleAndToggles() {
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).se_hour->setValue(7);
        QTest::mouseClick(ctl(f.form).BitBtn1, Qt::LeftButton);
        QVERIFY(!ctl(f.form).Panel2->isHidden());
        QCOMPARE(ctl(f.form).Panel2->pos(), QPoint(75, 11 + 29 + 2));
        QCOMPARE(ctl(f.form).Panel2->size(), QSize(235, 191));
        QCOMPARE(ctl(f.form).se_hour->value(), 0);
        QCOMPARE(ctl(f.form).se_minute->value(), 0);
        QCOMPARE(QApplication::focusWidget(), ctl(f.form).se_hour);
        QCOMPARE(ctl(f.form).se_hour->findChild<QLineEdit*>()->selectedText(), QStringLiteral("0"));
        for (QWidget* w :
             std::initializer_list<QWidget*>{ctl(f.form).Label9, ctl(f.form).Label10,
                                             ctl(f.form).se_hour, ctl(f.form).se_minute}) {
            QCOMPARE(w->font().pixelSize(), 15);  // the panel's large bold figures
            QVERIFY(w->font().bold());
        }

        ctl(f.form).se_minute->setValue(9);
        QTest::mouseClick(ctl(f.form).BitBtn1, Qt::LeftButton);
        QVERIFY(ctl(f.form).Panel2->isHidden());
        QVERIFY(!f.armed());
        QCOMPARE(ctl(f.form).se_minute->value(), 9);  // closing changes nothing

        f.form.FormKeyDown(Qt::Key_F1);
        QVERIFY(!ctl(f.form).Panel2->isHidden());
        QCOMPARE(ctl(f.form).se_minute->value(), 0);
        QTest::mouseClick(ctl(f.form).Button4, Qt::LeftButton);
        QVERIFY(ctl(f.form).Panel2->isHidden());
        QVERIFY(!f.armed());
    }

    void nothingOpensWhileArmed() {
        AlarmFixture f(today(QTime(12, 0)));
        f.armFor(QTime(13, 0));
        f.form.BitBtn1Click();
        QVERIFY(ctl(f.form).Panel2->isHidden());
        QTest::keyClick(ctl(f.form).ComboBox1, Qt::Key_F1);
        QVERIFY(ctl(f.form).Panel2->isHidden());
        f.form.wwDBDateTimePicker1KeyPress(QLatin1Char('*'));
        QVERIFY(ctl(f.form).Panel2->isHidden());
    }

    void minuteButtons_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("hours");  // in the box before the click
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("expectHours");
        QTest::addColumn<int>("expectMinutes");
        QTest::newRow("left 15") << "15" << 2 << false << 2 << 15;
        QTest::newRow("right 15") << "15" << 0 << true << 0 << 15;
        QTest::newRow("left 1") << "1" << 0 << false << 0 << 1;
        QTest::newRow("right 45 keeps hours") << "45" << 3 << true << 3 << 45;
        QTest::newRow("left 60") << "60" << 4 << false << 1 << 0;
        QTest::newRow("right 60 adds an hour of minutes") << "60" << 2 << true << 2 << 60;
        QTest::newRow("right 60 from zero") << "60" << 0 << true << 0 << 60;
    }
    void minuteButtons() {
        QFETCH(QString, caption);
        QFETCH(int, hours);
        QFETCH(bool, right);
        QFETCH(int, expectHours);
        QFETCH(int, expectMinutes);
        AlarmFixture f(today(QTime(12, 0, 0, 400)));
        f.form.BitBtn1Click();
        ctl(f.form).se_hour->setValue(hours);
        const QPoint windowAt = f.form.pos();
        QPushButton* button = minuteButton(f.form, caption);
        QVERIFY(button);
        QTest::mouseClick(button, right ? Qt::RightButton : Qt::LeftButton);

        QCOMPARE(ctl(f.form).se_hour->value(), expectHours);
        QCOMPARE(ctl(f.form).se_minute->value(), expectMinutes);
        QCOMPARE(f.form.pos(), windowAt);  // a click on a minute button drags nothing
        QCOMPARE(f.armed(), right);
        if (right) {
            const QDateTime due = f.now().addSecs((expectHours * 60 + expectMinutes) * 60);
            QVERIFY(ctl(f.form).Panel2->isHidden());
            QCOMPARE(A::endAt(f.form), due);
            QCOMPARE(ctl(f.form).wwDBDateTimePicker1->time(), due.time());
            QCOMPARE(ctl(f.form).Button1->text(), QStringLiteral("Stop"));
            QCOMPARE(QApplication::focusWidget(), ctl(f.form).ComboBox1);
        } else {
            QVERIFY(!ctl(f.form).Panel2->isHidden());
        }
    }

    void enterWalksThroughThePanel() {
        AlarmFixture f(today(QTime(12, 0)));
        f.form.BitBtn1Click();
        QTest::keyClicks(ctl(f.form).se_hour, QStringLiteral("2"));
        QTest::keyClick(ctl(f.form).se_hour, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ctl(f.form).se_minute);
        QCOMPARE(ctl(f.form).se_minute->findChild<QLineEdit*>()->selectedText(),
                 QStringLiteral("0"));
        QTest::keyClicks(ctl(f.form).se_minute, QStringLiteral("30"));
        QTest::keyClick(ctl(f.form).se_minute, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), ctl(f.form).Button3);
        QVERIFY(!f.armed());
        QTest::keyClick(ctl(f.form).Button3, Qt::Key_Return);
        QVERIFY(f.armed());
        QCOMPARE(A::endAt(f.form), today(QTime(14, 30)));
    }

    // "15" clicked, then the minutes box emptied and left with Enter, Enter: no delay at all,
    // not the 15 minutes the box held before.
    void emptiedMinutesAfterAButtonArmNoDelay() {
        AlarmFixture f(today(QTime(12, 0)));
        QTest::keyClick(&f.form, Qt::Key_F1);
        QTest::mouseClick(minuteButton(f.form, QStringLiteral("15")), Qt::LeftButton);
        QCOMPARE(ctl(f.form).se_minute->value(), 15);
        QTest::mouseClick(ctl(f.form).se_minute->findChild<QLineEdit*>(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), ctl(f.form).se_minute);
        QTest::keyClick(ctl(f.form).se_minute, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(ctl(f.form).se_minute, Qt::Key_Backspace);
        QTest::keyClick(ctl(f.form).se_minute, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ctl(f.form).Button3);
        QCOMPARE(ctl(f.form).se_minute->text(), QStringLiteral("0"));
        QTest::keyClick(ctl(f.form).Button3, Qt::Key_Return);
        QVERIFY(f.armed());
        QCOMPARE(A::endAt(f.form), today(QTime(12, 0)));
    }

    void escapeClosesThePanel_data() {
        QTest::addColumn<bool>("inMinutes");
        QTest::newRow("hours box") << false;
        QTest::newRow("minutes box") << true;
    }
    void escapeClosesThePanel() {
        QFETCH(bool, inMinutes);
        AlarmFixture f(today(QTime(12, 0)));
        f.form.BitBtn1Click();
        QSpinBox* box = inMinutes ? ctl(f.form).se_minute : ctl(f.form).se_hour;
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("5"));
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(ctl(f.form).Panel2->isHidden());
        QCOMPARE(QApplication::focusWidget(), ctl(f.form).wwDBDateTimePicker1);
        QVERIFY(!f.armed());
    }

    void oddBoxTexts_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<int>("delayMinutes");
        QTest::newRow("empty minutes") << "1"
                                       << "" << 60;
        QTest::newRow("letters in minutes") << "1"
                                            << "abc" << 60;
        QTest::newRow("letters in hours") << "x"
                                          << "5" << 5;
        QTest::newRow("both empty") << ""
                                    << "" << 0;
        QTest::newRow("too many hours") << "5000"
                                        << "0" << 999 * 60;
        QTest::newRow("the most") << "999"
                                  << "999" << 999 * 60 + 999;
    }
    void oddBoxTexts() {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(int, delayMinutes);
        AlarmFixture f(today(QTime(12, 0)));
        f.form.BitBtn1Click();
        typeInto(ctl(f.form).se_hour, hours);
        typeInto(ctl(f.form).se_minute, minutes);
        f.form.Button3Click();
        QVERIFY(f.armed());
        QCOMPARE(A::endAt(f.form), today(QTime(12, 0)).addSecs(qint64(delayMinutes) * 60));
    }

    void noDelayRingsAtOnce() {
        AlarmFixture f(today(QTime(12, 0, 0, 345)));
        f.form.BitBtn1Click();
        f.form.Button3Click();
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).Timer1->interval(), 0);
        f.form.Timer1Timer();
        QVERIFY(!f.armed());
        QCOMPARE(f.fakes.window->restores, 1);
    }

    void longDelaysRingOnTime_data() {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("firstShown");
        QTest::newRow("across midnight") << QTime(23, 50) << 0 << 20 << "00:19:59";
        QTest::newRow("two days") << QTime(12, 0) << 50 << 0 << "49:59:59";
        QTest::newRow("the longest") << QTime(12, 0) << 999 << 999 << "1015:38:59";
    }
    void longDelaysRingOnTime() {
        QFETCH(QTime, start);
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(QString, firstShown);
        AlarmFixture f(today(start));
        f.form.BitBtn1Click();
        ctl(f.form).se_hour->setValue(hours);
        ctl(f.form).se_minute->setValue(minutes);
        f.form.Button3Click();
        const QDateTime due = today(start).addSecs(qint64(hours * 60 + minutes) * 60);
        QCOMPARE(ctl(f.form).wwDBDateTimePicker1->time(), due.time());
        // The end names its day when that is not today.
        const QString time = due.time().toString(QStringLiteral("HH:mm:ss"));
        const qint64 days = today(start).date().daysTo(due.date());
        const QString day = days == 0  ? QString()
                            : days < 7 ? QLocale().toString(due.date(), QStringLiteral("ddd "))
                                       : QLocale().toString(due.date(), QStringLiteral("d MMM "));
        QCOMPARE(ctl(f.form).lblEnd->text(), day + time);

        f.tick();
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).lblx->text(), firstShown);
        f.tickAt(due.addMSecs(-1));
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("00:00:00"));
        f.tick();
        QVERIFY(!f.armed());
        QCOMPARE(f.now(), due);
        QCOMPARE(f.fakes.window->restores, 1);
    }
};

QTEST_MAIN(TestQuickDelay)
#include "test_quick_delay.moc"
