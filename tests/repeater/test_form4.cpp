// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/fake_platform.h"
#include "repeater/form4.h"

#include <QTest>

using namespace klangor::fakes;

namespace {

// Notes what the prompt looked like at the moment the monitor was asked to go off.
class WatchingMonitor final : public klangor::Monitor {
public:
    WatchingMonitor(FakeClock* clock, TForm4** form) : clock_(clock), form_(form) {}
    void switchOff(std::function<void(bool)> done) override {
        at << clock_->now();
        visible << (*form_)->isVisible();
        timerActive << (*form_)->Timer1->isActive();
        if (done)
            done(true);
    }
    QList<QDateTime> at;
    QList<bool> visible;
    QList<bool> timerActive;

private:
    FakeClock* clock_;
    TForm4** form_;
};

}  // namespace

class TestForm4 : public QObject {
    Q_OBJECT

private slots:
    void window() {
        Fakes fakes;
        TForm4 form(fakes.platform());
        QCOMPARE(form.objectName(), QStringLiteral("Form4"));
        // The 171 x 82 client area inside a 4 px dialog border.
        QCOMPARE(form.size(), QSize(179, 90));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
        QVERIFY(
            !(form.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QCOMPARE(form.font().pixelSize(), 11);
        QCOMPARE(form.Button1->geometry(), QRect(4, 4, 171, 49));
        QCOMPARE(form.Button1->font().pixelSize(), 16);
        QCOMPARE(form.Label1->geometry(), QRect(4, 90 - 4 - 27, 171, 27));
        QCOMPARE(form.Label1->font().pixelSize(), 16);
        QCOMPARE(form.Label1->alignment(), Qt::AlignCenter);
        QCOMPARE(form.Timer1->interval(), 1000);
        QVERIFY(!form.Timer1->isActive());
        QVERIFY(!form.isVisible());
    }

    // "10" at the show and at the first tick, then 9 ... 0; the eleventh tick closes it.
    void countdownClosesAtTheEleventhTick() {
        Fakes fakes;
        TForm4 form(fakes.platform());
        form.show();
        QCOMPARE(form.Label1->text(), QStringLiteral("10"));
        QCOMPARE(form.secondsLeft(), 10);
        QVERIFY(form.Timer1->isActive());
        QStringList shown;
        for (int tick = 1; tick <= 11; ++tick) {
            QVERIFY2(form.isVisible(), qPrintable(QString::number(tick)));
            form.Timer1Timer();
            shown << form.Label1->text();
        }
        QCOMPARE(shown, QStringList({"10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}));
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Timer1->isActive());
        QCOMPARE(fakes.monitor->switchOffs, 0);
    }

    void closingKeepsTheMonitorOn_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("F12") << int(Qt::Key_F12);
        QTest::newRow("close box") << 0;
    }

    void closingKeepsTheMonitorOn() {
        QFETCH(int, key);
        Fakes fakes;
        TForm4 form(fakes.platform());
        form.show();
        form.Timer1Timer();
        form.Timer1Timer();
        if (key)
            QTest::keyClick(form.Button1, Qt::Key(key));
        else
            form.close();
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Timer1->isActive());
        QCOMPARE(fakes.monitor->switchOffs, 0);
        QVERIFY(fakes.sleeper->sleeps.empty());

        // The next show counts from 10 again.
        form.show();
        QCOMPARE(form.Label1->text(), QStringLiteral("10"));
        QCOMPARE(form.secondsLeft(), 10);
        form.Timer1Timer();
        QCOMPARE(form.Label1->text(), QStringLiteral("10"));
        QCOMPARE(form.secondsLeft(), 9);
    }

    // Coming back from the taskbar is a show from the window system: the count goes on.
    void restoringKeepsTheCount() {
        Fakes fakes;
        TForm4 form(fakes.platform());
        form.show();
        for (int i = 0; i < 3; ++i)
            form.Timer1Timer();
        form.showMinimized();
        QTRY_VERIFY(form.isMinimized());
        form.showNormal();
        QTRY_VERIFY(!form.isMinimized());
        QCOMPARE(form.secondsLeft(), 7);
        QCOMPARE(form.Label1->text(), QStringLiteral("8"));
    }

    // F1 anywhere, Enter or Space on the button: two seconds' pause with the countdown stopped,
    // then the monitor goes off, then the prompt closes.
    void switchingOff_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("onButton");
        QTest::newRow("F1 on the window") << int(Qt::Key_F1) << false;
        QTest::newRow("F1 on the button") << int(Qt::Key_F1) << true;
        QTest::newRow("Return") << int(Qt::Key_Return) << true;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
        QTest::newRow("Space") << int(Qt::Key_Space) << true;
        QTest::newRow("click") << 0 << true;
    }

    void switchingOff() {
        QFETCH(int, key);
        QFETCH(bool, onButton);
        Fakes fakes;
        TForm4* self = nullptr;
        auto monitor = std::make_shared<WatchingMonitor>(fakes.clock.get(), &self);
        klangor::Platform platform = fakes.platform();
        platform.monitor = monitor;
        TForm4 form(platform);
        self = &form;
        form.show();
        // The keys go to the focused prompt; whether a window manager hands the focus to a new
        // window by itself is its own policy.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.Button1);
        form.Timer1Timer();
        const QDateTime pressed = fakes.clock->now();
        if (key == 0)
            QTest::mouseClick(form.Button1, Qt::LeftButton);
        else
            QTest::keyClick(onButton ? static_cast<QWidget*>(form.Button1) : &form, Qt::Key(key));

        QCOMPARE(fakes.sleeper->sleeps, std::vector<int>{2000});
        QCOMPARE(monitor->at, QList<QDateTime>{pressed.addMSecs(2000)});
        QCOMPARE(monitor->visible, QList<bool>{true});
        QCOMPARE(monitor->timerActive, QList<bool>{false});
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Timer1->isActive());
    }
};

QTEST_MAIN(TestForm4)
#include "test_form4.moc"
