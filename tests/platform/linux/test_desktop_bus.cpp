// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux power actions and notifications against private D-Bus daemons standing in for the
// system and session buses, with a stand-in process for the login manager, the screen saver
// and the notification service. Nothing here can reach the machine's real buses.

#include "platform/linux/dbus_notifier.h"
#include "platform/linux/logind_power.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/prctl.h>
#include <csignal>
#include <memory>
#include <optional>

using klangor::DBusNotifier;
using klangor::LogindPower;
using klangor::PowerAction;

namespace {

// Children die with the test, even when it crashes.
void dieWithParent(QProcess& p) {
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

/// Asks the session bus itself for something and waits for the answer, which comes after the
/// answers to everything sent on the connection before.
void busRoundTrip() {
    const auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    QDBusPendingCallWatcher watcher(QDBusConnection::sessionBus().asyncCall(call, 20000));
    QTRY_VERIFY_WITH_TIMEOUT(watcher.isFinished(), 30000);
}

/// A private bus daemon with no activatable services.
class Bus {
public:
    ~Bus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    bool start(const QString& dir, const QString& name) {
        const QString config = dir + QLatin1Char('/') + name + QStringLiteral(".conf");
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        // A session-type bus with no service directories: nothing can be activated on it.
        const QString socket = dir + QLatin1Char('/') + name + QStringLiteral(".socket");
        f.write(
            "<busconfig>\n"
            "  <type>session</type>\n"
            "  <listen>unix:path=" +
            socket.toUtf8() +
            "</listen>\n"
            "  <auth>EXTERNAL</auth>\n"
            "  <policy context=\"default\">\n"
            "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
            "    <allow eavesdrop=\"true\"/>\n"
            "    <allow own=\"*\"/>\n"
            "  </policy>\n"
            "</busconfig>\n");
        f.close();
        dieWithParent(daemon_);
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(5000))
            return false;
        while (!daemon_.canReadLine())
            if (!daemon_.waitForReadyRead(5000))
                return false;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        return !address_.isEmpty();
    }
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

/// The stand-in services process, and the calls it received.
class StandIn {
public:
    explicit StandIn(const QStringList& options) {
        dieWithParent(process_);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(
            QCoreApplication::applicationDirPath() + QStringLiteral("/desktop_services_stand_in"),
            options);
        ready_ = waitForLine() == QLatin1String("ready");
    }
    ~StandIn() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    bool ready() const { return ready_; }

    /// The next call the services received, or nothing after a few seconds. The event loop
    /// runs meanwhile, so that replies to the program's own calls arrive.
    QString waitForLine(int ms = 10000) {
        QElapsedTimer t;
        t.start();
        while (!process_.canReadLine() && t.elapsed() < ms) {
            QCoreApplication::processEvents();
            process_.waitForReadyRead(20);
        }
        if (!process_.canReadLine())
            return {};
        return QString::fromUtf8(process_.readLine()).trimmed();
    }
    /// Every call received so far: at least `expected` of them, waited for, then whatever else
    /// arrives shortly after.
    QStringList drain(qsizetype expected = 0) {
        QStringList lines;
        while (lines.size() < expected) {
            const QString line = waitForLine();
            if (line.isEmpty())
                break;
            lines << line;
        }
        process_.waitForReadyRead(200);
        while (process_.canReadLine())
            lines << QString::fromUtf8(process_.readLine()).trimmed();
        return lines;
    }

private:
    QProcess process_;
    bool ready_ = false;
};

/// What a request's `done` said, if it said anything yet.
struct Outcome {
    std::shared_ptr<std::optional<bool>> result = std::make_shared<std::optional<bool>>();
    std::function<void(bool)> callback() {
        auto r = result;
        return [r](bool ok) { *r = ok; };
    }
    bool wait(int ms = 15000) {
        QElapsedTimer t;
        t.start();
        while (!result->has_value() && t.elapsed() < ms)
            QTest::qWait(10);
        return result->has_value();
    }
};

const QString kPid = QString::number(QCoreApplication::applicationPid());

}  // namespace

class TestDesktopBus : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Bus system_;
    Bus session_;
#ifdef KLANGOR_TEST_NO_BUS
    // Built a second time to check the program on a machine without any bus (noBusAtAll).
    static constexpr bool noBus_ = true;
#else
    static constexpr bool noBus_ = false;
#endif
    int buttonSignals_ = 0;

public slots:
    // Counts the button signals that reached this process, so that a test waits for the
    // signal itself rather than for a guess at how long the bus takes on a busy machine.
    void buttonSignal(uint, const QString&) {
        ++buttonSignals_;
    }

private slots:
    void initTestCase() {
        if (noBus_) {
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/session_bus_socket");
            return;
        }
        QVERIFY(dir_.isValid());
        // Both buses must be ours before anything touches D-Bus: never the machine's own.
        QVERIFY2(system_.start(dir_.path(), QStringLiteral("system")), "no dbus-daemon");
        QVERIFY(session_.start(dir_.path(), QStringLiteral("session")));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", system_.address().toUtf8());
        qputenv("DBUS_SESSION_BUS_ADDRESS", session_.address().toUtf8());
        QVERIFY(QDBusConnection::systemBus().isConnected());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(QDBusConnection::systemBus().baseService() !=
                    QDBusConnection::sessionBus().baseService() ||
                system_.address() != session_.address());
        QVERIFY(QDBusConnection::sessionBus().connect(
            {}, QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"), this,
            SLOT(buttonSignal(uint, QString))));
    }

    void init() {
        if (noBus_ && QTest::currentTestFunction() != QLatin1String("noBusAtAll"))
            QFAIL("the build without a bus runs noBusAtAll only");
    }

    void managerActions_data() {
        QTest::addColumn<PowerAction>("action");
        QTest::addColumn<QString>("call");
        QTest::newRow("sleep") << PowerAction::Suspend << "Suspend /org/freedesktop/login1 false";
        QTest::newRow("hibernate")
            << PowerAction::Hibernate << "Hibernate /org/freedesktop/login1 false";
        QTest::newRow("restart") << PowerAction::Reboot << "Reboot /org/freedesktop/login1 false";
        QTest::newRow("shut down")
            << PowerAction::PowerOff << "PowerOff /org/freedesktop/login1 false";
    }

    void managerActions() {
        QFETCH(PowerAction, action);
        QFETCH(QString, call);
        StandIn services({QStringLiteral("--login")});
        QVERIFY(services.ready());
        LogindPower power;
        Outcome out;
        power.request(action, out.callback());
        QVERIFY(!out.result->has_value());  // reported later, never from inside request()
        QVERIFY(out.wait());
        QCOMPARE(**out.result, true);
        QCOMPARE(services.drain(), QStringList{call});
    }

    void refusedActionReportsFalse() {
        StandIn services({QStringLiteral("--login"), QStringLiteral("--refuse")});
        QVERIFY(services.ready());
        LogindPower power;
        Outcome out;
        power.request(PowerAction::PowerOff, out.callback());
        QVERIFY(out.wait());
        QCOMPARE(**out.result, false);
        QCOMPARE(services.drain(), QStringList{"PowerOff /org/freedesktop/login1 false"});

        // The login manager's own words say why, for the power actions and the lock alike.
        for (PowerAction action : {PowerAction::PowerOff, PowerAction::Lock}) {
            std::optional<std::pair<bool, std::string>> said;
            power.requestExplained(action,
                                   [&](bool ok, const std::string& why) { said.emplace(ok, why); });
            QTRY_VERIFY_WITH_TIMEOUT(said.has_value(), 15000);
            QCOMPARE(said->first, false);
            QCOMPARE(QString::fromStdString(said->second), QStringLiteral("Permission denied"));
        }
    }

    void lock_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("calls");
        const QString find = QStringLiteral("GetSessionByPID /org/freedesktop/login1 ") + kPid;
        QTest::newRow("own session")
            << QStringList{"--login", "--screensaver=/org/freedesktop/ScreenSaver"} << true
            << QStringList{find, "Lock /org/freedesktop/login1/session/_31"};
        QTest::newRow("started outside a session")
            << QStringList{"--login", "--no-own-session"} << true
            << QStringList{find, "Lock /org/freedesktop/login1/session/auto"};
        QTest::newRow("login manager refuses")
            << QStringList{"--login", "--refuse", "--screensaver=/org/freedesktop/ScreenSaver"}
            << true
            << QStringList{find, "Lock /org/freedesktop/login1/session/_31",
                           "Lock /org/freedesktop/ScreenSaver"};
        QTest::newRow("no login manager, older screen saver path")
            << QStringList{"--screensaver=/ScreenSaver"} << true
            << QStringList{"Lock /ScreenSaver"};
        QTest::newRow("nobody can lock")
            << QStringList{"--login", "--refuse"} << false
            << QStringList{find, "Lock /org/freedesktop/login1/session/_31"};
    }

    void lock() {
        QFETCH(QStringList, options);
        QFETCH(bool, ok);
        QFETCH(QStringList, calls);
        StandIn services(options);
        QVERIFY(services.ready());
        LogindPower power;
        Outcome out;
        power.request(PowerAction::Lock, out.callback());
        QVERIFY(out.wait());
        QCOMPARE(**out.result, ok);
        QCOMPARE(services.drain(), calls);
    }

    // No login manager on the bus, or one that never answers: the request returns at once,
    // the event loop keeps running, and `done` hears false in bounded time.
    void missingOrSilentServiceKeepsTheLoopRunning_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<PowerAction>("action");
        QTest::addColumn<bool>("silent");
        QTest::newRow("missing, power off") << QStringList{} << PowerAction::PowerOff << false;
        QTest::newRow("missing, lock") << QStringList{} << PowerAction::Lock << false;
        QTest::newRow("silent, power off")
            << QStringList{"--login", "--hang"} << PowerAction::PowerOff << true;
        QTest::newRow("silent, lock")
            << QStringList{"--login", "--hang"} << PowerAction::Lock << true;
    }

    void missingOrSilentServiceKeepsTheLoopRunning() {
        QFETCH(QStringList, options);
        QFETCH(PowerAction, action);
        QFETCH(bool, silent);
        std::optional<StandIn> services;
        if (!options.isEmpty()) {
            services.emplace(options);
            QVERIFY(services->ready());
        }
        int ticks = 0;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
        heartbeat.start(20);

        LogindPower power(/*timeoutMs=*/500);
        Outcome out;
        // Silence is no refusal, and the log says which it was.
        if (silent && action == PowerAction::PowerOff) {
            QTest::failOnWarning(QRegularExpression(QStringLiteral("refused")));
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("did not answer PowerOff")));
        }
        power.request(action, out.callback());
        QVERIFY(!out.result->has_value());
        QVERIFY(out.wait(10000));
        QCOMPARE(**out.result, false);
        // A silent service takes at least one time-out (500 ms): the 20 ms heartbeat went on.
        if (silent)
            QVERIFY2(ticks >= 5, "the event loop stood still while waiting");
    }

    void notification() {
        StandIn services({QStringLiteral("--notifications")});
        QVERIFY(services.ready());
        DBusNotifier notifier;
        notifier.notify(QStringLiteral("Klangor alarm"), QStringLiteral("Tea; don't forget"));
        QCOMPARE(services.waitForLine(),
                 QStringLiteral("Notify /org/freedesktop/Notifications Klangor 0 klangor Klangor "
                                "alarm Tea; don't forget [] {desktop-entry=klangor} -1"));
        // The service answers before it says so; let the answer arrive before it goes away.
        QCOMPARE(services.waitForLine(), QStringLiteral("notified 7"));
        QTest::qWait(100);
    }

    // A notification with a Stop button: the button calls back once, also when the press
    // overtakes the service's answer; withdrawing it closes the notification on the service,
    // also when it is withdrawn before the service answered, and a withdrawn notification's
    // button calls nothing. A service without buttons gets the text. Its expiry and urgency go
    // to the service as asked.
    void notificationWithStop_data() {
        QTest::addColumn<bool>("buttons");
        QTest::addColumn<bool>("early");          // withdrawn at once, before any answer
        QTest::addColumn<bool>("pressedAtOnce");  // pressed before the answer left the service
        QTest::newRow("pressed, then withdrawn") << true << false << false;
        QTest::newRow("withdrawn before the service answered") << true << true << false;
        QTest::newRow("pressed before the service answered") << true << false << true;
        QTest::newRow("service without buttons") << false << false << false;
    }
    void notificationWithStop() {
        QFETCH(bool, buttons);
        QFETCH(bool, early);
        QFETCH(bool, pressedAtOnce);
        QStringList options{QStringLiteral("--notifications")};
        if (!buttons)
            options << QStringLiteral("--no-actions");
        if (pressedAtOnce)
            options << QStringLiteral("--pressed-at-once");
        StandIn services(options);
        QVERIFY(services.ready());
        DBusNotifier notifier;
        int pressed = 0;
        const int id = notifier.notifyWithAction(
            QStringLiteral("Klangor"), QStringLiteral("Shut down in 15 seconds"),
            QStringLiteral("Stop"), [&] { ++pressed; }, klangor::NoticeTerms{20000, true});
        QVERIFY(id != 0);
        // The button's key is the notification's own, in this process.
        const QString key = QStringLiteral("stop-%1-%2").arg(kPid).arg(id);
        if (early)
            notifier.withdraw(id);
        const QString path = QStringLiteral(" /org/freedesktop/Notifications");
        QCOMPARE(services.waitForLine(), "GetCapabilities" + path);
        QCOMPARE(services.waitForLine(), "Notify" + path +
                                             " Klangor 0 klangor Klangor Shut down in 15 seconds " +
                                             (buttons ? "[" + key + ",Stop]" : QString("[]")) +
                                             " {desktop-entry=klangor,urgency=2} 20000");
        QCOMPARE(services.waitForLine(), QStringLiteral("notified 7"));
        if (early)
            QCOMPARE(services.waitForLine(), "CloseNotification" + path + " 7");

        // The user presses the button (an early withdrawal forgot the callback).
        QStringList calls;
        if (pressedAtOnce) {
            QTRY_COMPARE_WITH_TIMEOUT(pressed, 1, 10000);
        } else if (buttons) {
            auto invoke = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.Notifications"),
                QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("InvokeAction"));
            invoke << 7u << key;
            buttonSignals_ = 0;
            for (int press = 0; press < 2; ++press) {
                QCOMPARE(QDBusConnection::sessionBus().call(invoke).type(),
                         QDBusMessage::ReplyMessage);
                QTRY_COMPARE_WITH_TIMEOUT(buttonSignals_, press + 1, 10000);
                // The notifier's copy of the signal was queued with ours.
                QCoreApplication::processEvents();
                QTRY_COMPARE_WITH_TIMEOUT(pressed, early ? 0 : 1, 10000);  // once at most
                calls << "InvokeAction" + path + " 7 " + key;
            }
        }
        if (!early) {
            notifier.withdraw(id);
            notifier.withdraw(id);  // twice: nothing more
            calls << "CloseNotification" + path + " 7";
        }
        QCOMPARE(services.drain(calls.size()), calls);
    }

    // A service that shows the notification at once but answers Notify late (busy, slow):
    // a Stop pressed meanwhile counts at once, not only when the answer comes, which may be
    // after the grace period is over.
    void stopPressedWhileTheAnswerIsLate() {
        StandIn services({QStringLiteral("--notifications"), QStringLiteral("--late-answers")});
        QVERIFY(services.ready());
        DBusNotifier notifier;
        int pressed = 0;
        const int id = notifier.notifyWithAction(
            QStringLiteral("Klangor"), QStringLiteral("Lock in 15 seconds"), QStringLiteral("Stop"),
            [&] { ++pressed; }, klangor::NoticeTerms{});
        const QString path = QStringLiteral(" /org/freedesktop/Notifications");
        QCOMPARE(services.waitForLine(), "GetCapabilities" + path);
        const QString notify = services.waitForLine();
        const QString key = notify.section(QLatin1Char('['), 1).section(QLatin1Char(','), 0, 0);
        QVERIFY2(!key.isEmpty(), qPrintable(notify));

        // The service numbers it 7, and the user presses its button; the answer is still held.
        auto invoke = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("InvokeAction"));
        invoke << 7u << key;
        QCOMPARE(QDBusConnection::sessionBus().call(invoke).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE_WITH_TIMEOUT(pressed, 1, 10000);

        // The answer comes at last: nothing is pressed twice, and the notification is closed.
        const auto release = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ReleaseAnswers"));
        QCOMPARE(QDBusConnection::sessionBus().call(release).type(), QDBusMessage::ReplyMessage);
        notifier.withdraw(id);
        QCOMPARE(services.drain(4),
                 (QStringList{"InvokeAction" + path + " 7 " + key, "ReleaseAnswers" + path,
                              "notified 7", "CloseNotification" + path + " 7"}));
        QCOMPARE(pressed, 1);
    }

    void notificationWithoutService() {
        DBusNotifier notifier;
        notifier.notify(QStringLiteral("title"), QStringLiteral("body"));
        // The error reply arrives and is only logged: it comes before the answer to anything
        // asked of the bus later.
        busRoundTrip();
    }

#ifdef KLANGOR_TEST_NO_BUS
    void noBusAtAll() {
        LogindPower power(500);
        for (PowerAction action : {PowerAction::Lock, PowerAction::PowerOff}) {
            Outcome out;
            power.request(action, out.callback());
            QVERIFY(!out.result->has_value());
            QVERIFY(out.wait(5000));
            QCOMPARE(**out.result, false);
        }
        DBusNotifier notifier;
        notifier.notify(QStringLiteral("title"), QStringLiteral("body"));
        const int id =
            notifier.notifyWithAction(QStringLiteral("title"), QStringLiteral("body"),
                                      QStringLiteral("Stop"), []{}, klangor::NoticeTerms{});
        QTest::qWait(100);
        notifier.withdraw(id);
    }
#endif
};

QTEST_GUILESS_MAIN(TestDesktopBus)
#include "test_desktop_bus.moc"
