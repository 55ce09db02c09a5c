// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm_fixture.h"

#include <QAction>
#include <QMenu>

using klangor::test::A;
using klangor::test::AlarmFixture;
using klangor::test::kToday;
using klangor::test::today;

class TestAlarmCycle : public QObject {
    Q_OBJECT

private slots:
    void armAndStop_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("startCaption");
        QTest::addColumn<QString>("stopCaption");
        QTest::newRow("English") << "EN"
                                 << "Start"
                                 << "Stop";
        QTest::newRow("Turkish") << "TR"
                                 << "Horozu Kur"
                                 << "Horozu Kes";
    }
    void armAndStop() {
        QFETCH(QString, lang);
        QFETCH(QString, startCaption);
        QFETCH(QString, stopCaption);
        AlarmFixture f(today(QTime(12, 0, 0, 250)));
        A::alarm(f.form).setLanguage(klangor::lang::languageOf(lang));
        ctl(f.form).Button1->setText(startCaption);
        ctl(f.form).lblx->setText(QStringLiteral("00:42:00"));
        A::afterAlarm(f.form).take(3, QStringLiteral("old"));

        f.armFor(QTime(12, 30, 5, 700));  // milliseconds left over from a "now"
        QCOMPARE(ctl(f.form).Button1->text(), stopCaption);
        QVERIFY(f.armed());
        QVERIFY(!ctl(f.form).wwDBDateTimePicker1->isEnabled());
        QCOMPARE(f.fakes.window->minimizes, 1);
        QVERIFY(f.form.isMinimized());
        QCOMPARE(ctl(f.form).lblStart->text(), QStringLiteral("12:00:00"));
        QCOMPARE(ctl(f.form).lblEnd->text(), QStringLiteral("12:30:05"));
        QCOMPARE(A::startTime(f.form), QTime(12, 0, 0, 250));
        QCOMPARE(A::endTime(f.form), QTime(12, 30, 5));
        QCOMPARE(A::endAt(f.form), today(QTime(12, 30, 5)));
        QCOMPARE(A::shut(f.form), -1);
        QVERIFY(A::exec(f.form).isEmpty());

        f.tick();
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("00:30:04"));

        f.form.Button1Click();  // stop
        QCOMPARE(ctl(f.form).Button1->text(), startCaption);
        QVERIFY(!f.armed());
        QVERIFY(ctl(f.form).wwDBDateTimePicker1->isEnabled());
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("00:30:04"));  // the last remaining time
        QCOMPARE(ctl(f.form).lblEnd->text(), QStringLiteral("12:30:05"));

        // A tick already on its way when the alarm stopped does nothing.
        f.fakes.clock->set(today(QTime(13, 0)));
        f.form.Timer1Timer();
        QVERIFY(f.fakes.window->restores == 0);
        QCOMPARE(ctl(f.form).Button1->text(), startCaption);
    }

    void firing_data() {
        QTest::addColumn<bool>("sound");
        QTest::addColumn<bool>("message");
        QTest::addColumn<bool>("twice");
        for (int bits = 0; bits < 8; ++bits) {
            const bool sound = bits & 1, message = bits & 2, twice = bits & 4;
            QTest::addRow("sound=%d message=%d twice=%d", sound, message, twice)
                << sound << message << twice;
        }
    }
    void firing() {
        QFETCH(bool, sound);
        QFETCH(bool, message);
        QFETCH(bool, twice);
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).CheckBox1->setChecked(sound);
        ctl(f.form).CheckBox2->setChecked(message);
        ctl(f.form).chkTwo->setChecked(twice);
        ctl(f.form).salarm->setCurrentIndex(2);
        ctl(f.form).ComboBox1->setPlainText(QStringLiteral("Çayı unutma !"));
        f.armFor(QTime(12, 0, 3));

        f.tickUntilFired();
        QVERIFY(!f.armed());
        QCOMPARE(ctl(f.form).Button1->text(), QStringLiteral("Start"));
        QVERIFY(ctl(f.form).wwDBDateTimePicker1->isEnabled());
        QCOMPARE(ctl(f.form).wwDBDateTimePicker1->time(), QTime(12, 0, 3));  // rang on the dot
        QCOMPARE(A::tmr(f.form), 5);
        QCOMPARE(A::shut(f.form), 0);
        QVERIFY(!ctl(f.form).Timer2->isActive());
        QVERIFY(ctl(f.form).Button2->isHidden());

        // The second sound comes two seconds after the first, and the window stays frozen.
        QCOMPARE(f.fakes.sleeper->sleeps,
                 (sound && twice) ? std::vector<int>{2000} : std::vector<int>{});
        QStringList plays;
        if (sound)
            plays << QStringLiteral("notify");  // the third sound of the list
        if (sound && twice)
            plays << QStringLiteral("notify");
        QCOMPARE(f.fakes.sound->played, plays);
        QCOMPARE(f.fakes.window->restores, message ? 1 : 0);
        QCOMPARE(f.form.isMinimized(), !message);
        QCOMPARE(int(f.fakes.notifier->notes.size()), message ? 1 : 0);
        if (message) {
            QCOMPARE(f.fakes.notifier->notes.front().first, QStringLiteral("Klangor"));
            QCOMPARE(f.fakes.notifier->notes.front().second, QStringLiteral("Çayı unutma !"));
        }
    }

    // The sound player is readied in the alarm's last minute, not while it waits for hours.
    void soundReadiedInTheLastMinute() {
        AlarmFixture f(today(QTime(9, 0)));
        f.armFor(QTime(12, 0));
        f.tickAt(today(QTime(11, 58, 59)));
        QCOMPARE(f.fakes.sound->prepares, 0);
        f.tickAt(today(QTime(11, 59, 0)));
        QCOMPARE(f.fakes.sound->prepares, 1);
        f.tickUntilFired();
        QVERIFY(!f.fakes.sound->played.isEmpty());
    }

    void noSoundWithoutASelection() {
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).salarm->setCurrentIndex(-1);
        ctl(f.form).chkTwo->setChecked(true);
        f.armFor(QTime(12, 0, 1));
        f.tickUntilFired();
        QVERIFY(!f.armed());
        QVERIFY(f.fakes.sound->played.isEmpty());
        QCOMPARE(f.fakes.window->restores, 1);
    }

    void ticksLandOnTheDeadline_data() {
        QTest::addColumn<int>("startMs");
        QTest::addColumn<int>("lateMs");
        QTest::newRow("armed on a whole second") << 0 << 0;
        QTest::newRow("armed at an odd millisecond") << 123 << 0;
        QTest::newRow("each tick 3 ms late") << 123 << 3;
    }
    void ticksLandOnTheDeadline() {
        QFETCH(int, startMs);
        QFETCH(int, lateMs);
        AlarmFixture f(today(QTime(12, 0, 0, startMs)));
        f.armFor(QTime(12, 0, 10));
        QVERIFY(ctl(f.form).Timer1->interval() <= 500);
        QCOMPARE(ctl(f.form).Timer1->timerType(), Qt::PreciseTimer);

        const QStringList shown = f.tickUntilFired(lateMs);
        // Rang no later than one tick's delay after its time, never early.
        QVERIFY(f.now() >= today(QTime(12, 0, 10)));
        QVERIFY2(f.now() <= today(QTime(12, 0, 10, lateMs)), qPrintable(f.now().toString()));
        // The countdown went down a second at a time.
        QCOMPARE(shown.first(), QStringLiteral("00:00:09"));
        QCOMPARE(shown.last(), QStringLiteral("00:00:00"));
        QCOMPARE(shown.size(), 10);
    }

    void graceRunsTheActionAtTheFifthTick() {
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).CheckBox3->setCurrentIndex(5);
        f.armFor(QTime(12, 0, 1));
        f.tickUntilFired();
        QCOMPARE(A::shut(f.form), 5);
        QCOMPARE(A::exec(f.form), ctl(f.form).CheckBox3->itemText(5));
        QVERIFY(ctl(f.form).Timer2->isActive());
        QVERIFY(!ctl(f.form).Button2->isHidden());
        QCOMPARE(ctl(f.form).Button1->text(), QStringLiteral("Start"));
        QVERIFY(ctl(f.form).wwDBDateTimePicker1->isEnabled());

        for (int i = 0; i < 4; ++i)
            f.form.Timer2Timer();
        QVERIFY(ctl(f.form).Timer2->isActive());
        QVERIFY(f.fakes.power->requests.empty());
        f.form.Timer2Timer();
        QVERIFY(!ctl(f.form).Timer2->isActive());
        QVERIFY(ctl(f.form).Button2->isHidden());
        QCOMPARE(A::tmr(f.form), 0);
        QVERIFY(!f.armed());
        QCOMPARE(f.fakes.power->requests, std::vector{klangor::PowerAction::PowerOff});
    }

    void graceIsCancelled_data() {
        QTest::addColumn<bool>("byStart");
        QTest::newRow("Button2") << false;
        QTest::newRow("Start") << true;
    }
    void graceIsCancelled() {
        QFETCH(bool, byStart);
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).CheckBox3->setCurrentIndex(5);
        f.armFor(QTime(12, 0, 1));
        f.tickUntilFired();
        f.form.Timer2Timer();
        QVERIFY(ctl(f.form).Timer2->isActive());

        const int minimizes = f.fakes.window->minimizes;
        if (byStart)
            f.form.Button1Click();
        else
            QTest::mouseClick(ctl(f.form).Button2, Qt::LeftButton);
        QVERIFY(!ctl(f.form).Timer2->isActive());
        QVERIFY(ctl(f.form).Button2->isHidden());
        for (int i = 0; i < 5; ++i)  // ticks that were already due change nothing
            f.form.Timer2Timer();
        QVERIFY(f.fakes.power->requests.empty());
        QCOMPARE(A::tmr(f.form), 4);

        // Either way the action is cancelled and nothing else happens: no new alarm (which
        // would run the action after all), the window stays where it is.
        QVERIFY(!f.armed());
        QCOMPARE(f.fakes.window->minimizes, minimizes);
        QVERIFY(ctl(f.form).wwDBDateTimePicker1->isEnabled());
        QCOMPARE(ctl(f.form).Button1->text(), QStringLiteral("Start"));
        f.fakes.clock->advanceMs(86'400'000);  // a day later: still nothing
        f.form.Timer1Timer();
        f.form.Timer2Timer();
        QVERIFY(f.fakes.power->requests.empty());

        // Start after the grace period arms as before.
        f.form.Button1Click();
        QVERIFY(f.armed());
        QCOMPARE(f.fakes.window->minimizes, minimizes + 1);
    }

    // A pending action is never hidden: the window comes back even without "Message Alert", and
    // one notification in the interface language says the note (with "Message Alert") and what
    // comes when, with a Stop button that cancels as Button2 does. It goes out before the sound
    // and the window's return (which make some desktops show banners of their own), stays
    // longer than the grace period, is urgent for what ends the user's work, and is withdrawn
    // however the grace period ends.
    void pendingActionIsAnnounced_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<bool>("message");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("end");  // runs, Button2, notification, Start
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<bool>("urgent");
        const QString en = QStringLiteral("Shut down in 15 seconds");
        const QString tr = QStringLiteral("Sistem 15 saniye sonra kapatılacak");
        const QString note = QStringLiteral("Tea\n");
        QTest::newRow("no message alert, runs")
            << "EN" << false << 5 << "runs" << en << "Stop" << true;
        QTest::newRow("message alert, runs")
            << "EN" << true << 5 << "runs" << note + en << "Stop" << true;
        QTest::newRow("Button2") << "EN" << false << 5 << "Button2" << en << "Stop" << true;
        QTest::newRow("notification's Stop")
            << "EN" << true << 5 << "notification" << note + en << "Stop" << true;
        QTest::newRow("Start") << "EN" << false << 5 << "Start" << en << "Stop" << true;
        QTest::newRow("Turkish") << "TR" << false << 5 << "notification" << tr << "Durdur" << true;
        QTest::newRow("sleep is urgent") << "EN" << false << 2 << "notification"
                                         << "Sleep in 15 seconds"
                                         << "Stop" << true;
        QTest::newRow("lock is not")
            << "EN" << true << 1 << "notification" << note + "Lock in 15 seconds"
            << "Stop" << false;
    }
    void pendingActionIsAnnounced() {
        QFETCH(QString, lang);
        QFETCH(bool, message);
        QFETCH(int, action);
        QFETCH(QString, end);
        QFETCH(QString, text);
        QFETCH(QString, stop);
        QFETCH(bool, urgent);
        AlarmFixture f(today(QTime(12, 0)));
        A::alarm(f.form).setLanguage(klangor::lang::languageOf(lang));
        ctl(f.form).CheckBox1->setChecked(true);
        ctl(f.form).CheckBox2->setChecked(message);
        ctl(f.form).CheckBox3->setCurrentIndex(action);
        ctl(f.form).ComboBox1->setPlainText(QStringLiteral("Tea"));
        auto& notifier = *f.fakes.notifier;
        // What had happened when the notification went out.
        int soundsBefore = -1;
        int restoresBefore = -1;
        notifier.onPost = [&] {
            soundsBefore = int(f.fakes.sound->played.size());
            restoresBefore = f.fakes.window->restores;
        };
        f.armFor(QTime(12, 0, 1));
        f.tickUntilFired();

        QCOMPARE(f.fakes.window->restores, 1);
        QVERIFY(!f.form.isMinimized());
        QCOMPARE(int(f.fakes.sound->played.size()), 1);
        QCOMPARE(soundsBefore, 0);
        QCOMPARE(restoresBefore, 0);
        QCOMPARE(int(notifier.withAction.size()), 1);
        QVERIFY(notifier.notes.empty());  // the note is in the one notification
        QCOMPARE(notifier.withAction.front().title, QStringLiteral("Klangor"));
        QCOMPARE(notifier.withAction.front().body, text);
        QCOMPARE(notifier.withAction.front().actionLabel, stop);
        QCOMPARE(notifier.withAction.front().terms.urgent, urgent);
        QVERIFY(notifier.withAction.front().terms.expireMs > 15000);
        const int id = notifier.withAction.front().id;
        QVERIFY(notifier.withdrawn.empty());

        f.form.Timer2Timer();
        if (end == QLatin1String("Button2"))
            QTest::mouseClick(ctl(f.form).Button2, Qt::LeftButton);
        else if (end == QLatin1String("notification"))
            notifier.pressAction();
        else if (end == QLatin1String("Start"))
            f.form.Button1Click();
        for (int i = 0; i < 5; ++i)
            f.form.Timer2Timer();

        QCOMPARE(notifier.withdrawn, std::vector<int>{id});
        QVERIFY(notifier.withAction.empty());
        QVERIFY(ctl(f.form).Button2->isHidden());
        QVERIFY(!ctl(f.form).Timer2->isActive());
        QCOMPARE(f.fakes.power->requests.size(), size_t(end == QLatin1String("runs") ? 1 : 0));
        QVERIFY(!f.armed());
        QCOMPARE(f.fakes.window->restores, 1);
    }

    // The window itself says which action comes and counts the seconds down, in the interface
    // language; a failure stays in it, in the notification's words, until the next Start.
    void graceIsShownInTheWindow_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("coming15");
        QTest::addColumn<QString>("coming11");
        QTest::addColumn<QString>("failed");
        QTest::newRow("English") << "EN"
                                 << "Shut down in 15 seconds"
                                 << "Shut down in 11 seconds"
                                 << "Could not shut down: Access denied";
        QTest::newRow("Turkish") << "TR"
                                 << "Sistem 15 saniye sonra kapatılacak"
                                 << "Sistem 11 saniye sonra kapatılacak"
                                 << "Sistem kapatılamadı: Access denied";
    }
    void graceIsShownInTheWindow() {
        QFETCH(QString, lang);
        QFETCH(QString, coming15);
        QFETCH(QString, coming11);
        QFETCH(QString, failed);
        AlarmFixture f(today(QTime(12, 0)));
        A::alarm(f.form).setLanguage(klangor::lang::languageOf(lang));
        ctl(f.form).CheckBox3->setCurrentIndex(5);
        f.fakes.power->result = false;
        const QRect place = ctl(f.form).lblAction->geometry();
        f.armFor(QTime(12, 0, 1));
        QCOMPARE(ctl(f.form).lblAction->text(), QString());
        f.tickUntilFired();

        auto* countdown = A::alarm(f.form).graceCountdown;
        QVERIFY(countdown->isActive());
        QCOMPARE(countdown->interval(), 1000);
        QCOMPARE(ctl(f.form).lblAction->text(), coming15);
        QVERIFY(ctl(f.form).lblAction->isVisible());
        QStringList shown;
        for (int second = 1; second <= 15; ++second) {
            f.fakes.clock->advanceMs(1000);
            A::alarm(f.form).graceCountdownTimer();
            if (second % 3 == 0)
                f.form.Timer2Timer();
            if (second == 4)
                QCOMPARE(ctl(f.form).lblAction->text(), coming11);
            shown << ctl(f.form).lblAction->text();
        }
        QCOMPARE(shown.removeDuplicates(), 0);  // a new text every second
        QCOMPARE(f.fakes.power->requests, std::vector{klangor::PowerAction::PowerOff});
        QVERIFY(!countdown->isActive());
        QCOMPARE(ctl(f.form).lblAction->text(), failed);
        QCOMPARE(f.fakes.notifier->notes.back().second, failed);
        QCOMPARE(ctl(f.form).lblAction->geometry(), place);
        QCOMPARE(f.form.size(), QSize(368, 345));

        // It stays, also over ticks that were due, until the next Start.
        f.form.Timer2Timer();
        QCOMPARE(ctl(f.form).lblAction->text(), failed);
        f.form.Button1Click();
        QCOMPARE(ctl(f.form).lblAction->text(), QString());
    }

    // A grace period that runs more than a few seconds behind the clock was interrupted (the
    // computer slept, the program was stopped, the clock jumped): the action is cancelled, and
    // the window and a notification say so. A moment's delay changes nothing.
    void graceRunningLateCancelsTheAction_data() {
        QTest::addColumn<int>("stopAt");  // seconds into the grace period
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<bool>("countdownFirst");  // which timer sees it first
        QTest::addColumn<bool>("runs");
        QTest::newRow("on time") << 6 << 0 << false << true;
        QTest::newRow("2 s behind") << 6 << 2000 << false << true;
        QTest::newRow("stopped 90 s, Timer2 first") << 6 << 90'000 << false << false;
        QTest::newRow("stopped 90 s, countdown first") << 6 << 90'000 << true << false;
        QTest::newRow("clock 10 s ahead at the end") << 14 << 10'000 << true << false;
        QTest::newRow("slept an hour at the start") << 1 << 3'600'000 << false << false;
    }
    void graceRunningLateCancelsTheAction() {
        QFETCH(int, stopAt);
        QFETCH(int, lateMs);
        QFETCH(bool, countdownFirst);
        QFETCH(bool, runs);
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).CheckBox3->setCurrentIndex(5);
        f.armFor(QTime(12, 0, 1));
        f.tickUntilFired();
        QVERIFY(ctl(f.form).Timer2->isActive());
        const size_t notes = f.fakes.notifier->notes.size();
        QTimer* countdown = A::alarm(f.form).graceCountdown;
        for (int second = 1; second <= 16 && ctl(f.form).Timer2->isActive(); ++second) {
            f.fakes.clock->advanceMs(1000 + (second == stopAt ? lateMs : 0));
            const auto tick2 = [&] {
                if (second % 3 == 0 || second == stopAt)  // an overdue timer fires at once
                    f.form.Timer2Timer();
            };
            if (!countdownFirst)
                tick2();
            if (countdown->isActive())
                A::alarm(f.form).graceCountdownTimer();
            if (countdownFirst)
                tick2();
        }
        QVERIFY(!ctl(f.form).Timer2->isActive());
        QVERIFY(!countdown->isActive());
        QVERIFY(ctl(f.form).Button2->isHidden());
        if (runs) {
            QCOMPARE(f.fakes.power->requests, std::vector{klangor::PowerAction::PowerOff});
            QCOMPARE(ctl(f.form).lblAction->text(), QString());
            return;
        }
        const QString said = QStringLiteral(
            "Action cancelled (Shut down): the countdown ended late (sleep or clock change).");
        QVERIFY(f.fakes.power->requests.empty());
        QCOMPARE(f.fakes.notifier->notes.size(), notes + 1);
        QCOMPARE(f.fakes.notifier->notes.back().second, said);
        QCOMPARE(ctl(f.form).lblAction->toolTip(), said);
        QCOMPARE(ctl(f.form).lblAction->text(), said);  // whole in the window
        QVERIFY(f.fakes.notifier->withAction.empty());  // the announcement is withdrawn
        // Ticks that were still due run nothing; the list keeps the choice for the next alarm.
        for (int i = 0; i < 5; ++i)
            f.form.Timer2Timer();
        QVERIFY(f.fakes.power->requests.empty());
        QCOMPARE(ctl(f.form).CheckBox3->currentIndex(), 5);
        A::alarm(f.form).setLanguage(klangor::lang::Language::Turkish);
        QCOMPARE(ctl(f.form).lblAction->text(),
                 QStringLiteral("İşlem iptal edildi (Shut down): geri sayım geç bitti (uyku "
                                "ya da saat değişikliği)."));
    }

    void eveningAlarmRingsNextMorning() {
        AlarmFixture f(today(QTime(21, 0)));
        f.armFor(QTime(7, 30));
        QCOMPARE(A::endAt(f.form), QDateTime(kToday.addDays(1), QTime(7, 30)));
        f.tick();
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("10:29:59"));
        f.tickAt(QDateTime(kToday.addDays(1), QTime(7, 29, 59, 999)));
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).Timer1->interval(), 1);
        f.tick();
        QVERIFY(!f.armed());
        QCOMPARE(f.fakes.window->restores, 1);
    }

    // An alarm noticed late rings, skips the action and says so in the log and the notification;
    // nothing remains to count down, and the list keeps the choice for the next alarm.
    void lateAlarmRingsButTakesNoAction_data() {
        QTest::addColumn<int>("lateSeconds");
        QTest::addColumn<bool>("acts");
        QTest::addColumn<bool>("turkish");
        QTest::addColumn<bool>("messageAlert");
        QTest::newRow("a minute late") << 60 << true << false << true;
        QTest::newRow("just over a minute") << 61 << false << false << true;
        QTest::newRow("resumed hours later") << 3 * 3600 << false << false << true;
        QTest::newRow("a day later, Turkish") << 86'400 << false << true << true;
        QTest::newRow("hours later, no message alert") << 3 * 3600 << false << false << false;
    }
    void lateAlarmRingsButTakesNoAction() {
        QFETCH(int, lateSeconds);
        QFETCH(bool, acts);
        QFETCH(bool, turkish);
        QFETCH(bool, messageAlert);
        AlarmFixture f(today(QTime(1, 0)));
        A::language(f.form).setCode(turkish ? QStringLiteral("TR") : QStringLiteral("EN"));
        f.form.SetLanguage();
        const auto language =
            turkish ? klangor::lang::Language::Turkish : klangor::lang::Language::English;
        ctl(f.form).CheckBox2->setChecked(messageAlert);
        ctl(f.form).ComboBox1->setPlainText(QStringLiteral("tea"));
        ctl(f.form).CheckBox3->setCurrentIndex(5);
        const QString action = ctl(f.form).CheckBox3->currentText();
        f.armFor(QTime(2, 0));
        f.tick();
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("00:59:59"));
        if (!acts)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral(
                                     "action 5 \\(.+\\) is skipped because the alarm was "
                                     "noticed late")));
        f.tickAt(today(QTime(2, 0)).addSecs(lateSeconds));  // the computer slept meanwhile

        QVERIFY(!f.armed());
        QCOMPARE(f.fakes.window->restores, messageAlert ? 1 : 0);
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("00:00:00"));
        QCOMPARE(ctl(f.form).CheckBox3->currentIndex(), 5);
        QCOMPARE(ctl(f.form).Timer2->isActive(), acts);
        QCOMPARE(ctl(f.form).Button2->isHidden(), !acts);
        QCOMPARE(A::shut(f.form), acts ? 5 : -1);
        const QString skipped = klangor::lang::lateAlarmSkippedAction(language, action);
        QVERIFY(skipped.contains(action));
        QStringList body;
        if (messageAlert)
            body << QStringLiteral("tea");
        body << (acts ? klangor::lang::actionComingNotice(language, 5, 15, {}) : skipped);
        // On time, the note and the pending action are one notification, with Stop.
        const auto& notifier = *f.fakes.notifier;
        QCOMPARE(int(notifier.notes.size()), acts ? 0 : 1);
        QCOMPARE(int(notifier.withAction.size()), acts ? 1 : 0);
        QCOMPARE(acts ? notifier.withAction.front().body : notifier.notes.front().second,
                 body.join(QLatin1Char('\n')));
        for (int i = 0; i < 5; ++i)
            f.form.Timer2Timer();
        QCOMPARE(int(f.fakes.power->requests.size()), acts ? 1 : 0);
    }

    // Late with no action chosen: nothing was skipped, so nothing is said about it.
    void lateAlarmWithoutActionSaysNothingOfIt() {
        AlarmFixture f(today(QTime(1, 0)));
        ctl(f.form).CheckBox2->setChecked(false);
        f.armFor(QTime(2, 0));
        f.tickAt(today(QTime(5, 0)));
        QVERIFY(!f.armed());
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("00:00:00"));
        QVERIFY(f.fakes.notifier->notes.empty());
    }

    void clockSetBackKeepsTheWallClockDeadline() {
        AlarmFixture f(today(QTime(12, 0)));
        f.armFor(QTime(12, 10));
        f.tick();
        f.tickAt(today(QTime(10, 59, 59, 700)));  // the clock went back more than an hour
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("01:10:00"));
        QCOMPARE(ctl(f.form).Timer1->interval(), 300);
        f.tickAt(today(QTime(12, 9, 59, 500)));
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("00:00:00"));
        f.tick();
        QVERIFY(!f.armed());
        QCOMPARE(f.now(), today(QTime(12, 10)));
    }

    void startWithAPassedTimeArmsTomorrow() {
        AlarmFixture f(today(QTime(12, 0)));
        f.armFor(QTime(12, 0));
        QCOMPARE(A::endAt(f.form), QDateTime(kToday.addDays(1), QTime(12, 0)));
        f.tick();
        QVERIFY(f.armed());
        QCOMPARE(ctl(f.form).lblx->text(), QStringLiteral("23:59:59"));
    }

    void label1DoubleClickSetsNow() {
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).wwDBDateTimePicker1->setTime(QTime(8, 0));
        const QDate pickerDate = ctl(f.form).wwDBDateTimePicker1->date();
        f.fakes.clock->set(today(QTime(15, 16, 17)));
        QTest::mouseDClick(ctl(f.form).Label1, Qt::LeftButton);
        QCOMPARE(ctl(f.form).wwDBDateTimePicker1->time(), QTime(15, 16, 17));
        QCOMPARE(ctl(f.form).wwDBDateTimePicker1->date(), pickerDate);  // the date part stays

        f.armFor(QTime(18, 0));
        QTest::mouseDClick(ctl(f.form).Label1, Qt::LeftButton);
        QCOMPARE(ctl(f.form).wwDBDateTimePicker1->time(), QTime(18, 0));
    }

    void starInThePickerOpensTheQuickDelayPanel() {
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).wwDBDateTimePicker1->setFocus();
        const QTime before = ctl(f.form).wwDBDateTimePicker1->time();
        QTest::keyClick(ctl(f.form).wwDBDateTimePicker1, '*');
        QVERIFY(!ctl(f.form).Panel2->isHidden());
        QCOMPARE(ctl(f.form).wwDBDateTimePicker1->time(), before);
        QTest::keyClick(ctl(f.form).se_hour, Qt::Key_Escape);
        QVERIFY(ctl(f.form).Panel2->isHidden());

        f.armFor(QTime(18, 0));
        QTest::keyClick(ctl(f.form).wwDBDateTimePicker1, '*');
        QVERIFY(ctl(f.form).Panel2->isHidden());
    }

    void pickerShowsLongTimeWithoutZone() {
        AlarmFixture f(today(QTime(12, 0)));
        QCOMPARE(ctl(f.form).wwDBDateTimePicker1->displayFormat(), QStringLiteral("HH:mm:ss"));
        QVERIFY(!ctl(f.form).wwDBDateTimePicker1->text().contains(QLatin1String("UTC")));
    }

    void presetNotes() {
        AlarmFixture f(today(QTime(12, 0)));
        const QList<QAction*> entries = ctl(f.form).ppText->actions();
        const QStringList names{QStringLiteral("ayunutma1"),
                                QStringLiteral("v1"),
                                QStringLiteral("v2"),
                                QStringLiteral("elefonaacaksnunutmaaa1"),
                                QStringLiteral("Randevuyuunutma1"),
                                QStringLiteral("Kapatbilgisayarartk1")};
        const QStringList captions{
            QStringLiteral("Çayı unutma !"),      QStringLiteral("Yumurtayı Unutma !"),
            QStringLiteral("Yemeği Unutma !"),    QStringLiteral("Telefon açacaksın, unutmaaa !"),
            QStringLiteral("Randevuyu unutma !"), QStringLiteral("Kapat bilgisayarı artık...")};
        QCOMPARE(entries.size(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(entries[i]->objectName(), names[i]);
            QCOMPARE(entries[i]->text(), captions[i]);
        }
        QCOMPARE(ctl(f.form).ComboBox1->contextMenuPolicy(), Qt::CustomContextMenu);

        ctl(f.form).ComboBox1->setPlainText(QStringLiteral("first line\nsecond"));
        entries[3]->trigger();
        QCOMPARE(ctl(f.form).ComboBox1->toPlainText(), captions[3]);
    }

    void enterDoesNotBreakTheNote() {
        AlarmFixture f(today(QTime(12, 0)));
        ctl(f.form).ComboBox1->setFocus();
        QTest::keyClicks(ctl(f.form).ComboBox1, QStringLiteral("ab"));
        QTest::keyClick(ctl(f.form).ComboBox1, Qt::Key_Return);
        QTest::keyClick(ctl(f.form).ComboBox1, Qt::Key_Enter);
        QTest::keyClicks(ctl(f.form).ComboBox1, QStringLiteral("c"));
        QCOMPARE(ctl(f.form).ComboBox1->toPlainText(), QStringLiteral("abc"));
        QVERIFY(!f.armed());
    }
};

QTEST_MAIN(TestAlarmCycle)
#include "test_alarm_cycle.moc"
