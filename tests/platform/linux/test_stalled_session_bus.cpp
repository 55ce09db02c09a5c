// SPDX-License-Identifier: GPL-3.0-or-later
// A session bus that has stopped answering (its daemon stopped with SIGSTOP) as the program
// starts: the notifier is made and asked to notify while the window's event loop keeps
// running, and the notifications go out once the bus answers again.

#include "platform/linux/dbus_notifier.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <sys/prctl.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

using klangor::DBusNotifier;

namespace {

// The stopped bus's daemon, for the watchdog in main().
std::atomic<qint64> stalledDaemon{0};

void dieWithParent(QProcess& p) {
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

}  // namespace

class TestStalledSessionBus : public QObject {
    Q_OBJECT

    QProcess daemon_;
    QProcess services_;

    // The next line the stand-in services printed, or nothing after `ms`.
    QString nextLine(int ms = 10000) {
        QElapsedTimer t;
        t.start();
        while (!services_.canReadLine() && t.elapsed() < ms) {
            QCoreApplication::processEvents();
            services_.waitForReadyRead(20);
        }
        return QString::fromUtf8(services_.readLine()).trimmed();
    }

private slots:
    void initTestCase() {
        dieWithParent(daemon_);
        daemon_.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"),
             QStringLiteral("--print-address=1"), QStringLiteral("--address=unix:tmpdir=/tmp")});
        QVERIFY2(daemon_.waitForReadyRead(10000), "no dbus-daemon (tools/install-deps.sh)");
        const QByteArray address = daemon_.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        // Nothing of this process may reach a real system bus.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");

        dieWithParent(services_);
        services_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        services_.start(
            QCoreApplication::applicationDirPath() + QStringLiteral("/desktop_services_stand_in"),
            {QStringLiteral("--notifications")});
        QCOMPARE(nextLine(), QStringLiteral("ready"));

        QVERIFY(::kill(static_cast<pid_t>(daemon_.processId()), SIGSTOP) == 0);
        stalledDaemon.store(daemon_.processId());
    }

    void cleanupTestCase() {
        ::kill(static_cast<pid_t>(daemon_.processId()), SIGCONT);
        services_.kill();
        services_.waitForFinished(5000);
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }

    void startsAndNotifiesWhileTheBusIsStopped() {
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
        tick.start(20);

        DBusNotifier notifier;
        notifier.notify(QStringLiteral("Klangor alarm"), QStringLiteral("Tea"));
        // The event loop turns while the bus is silent.
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 25, 10000);

        // The bus comes back: the notification goes out.
        stalledDaemon.store(0);
        QVERIFY(::kill(static_cast<pid_t>(daemon_.processId()), SIGCONT) == 0);
        QCOMPARE(nextLine(15000),
                 QStringLiteral("Notify /org/freedesktop/Notifications Klangor 0 klangor Klangor "
                                "alarm Tea [] {desktop-entry=klangor} -1"));
        QCOMPARE(nextLine(), QStringLiteral("notified 7"));
    }
};

int main(int argc, char** argv) {
    // Should anything wait for the stopped bus (the window frozen), the bus is woken after 30 s
    // so that the test ends, and fails.
    std::atomic<bool> ended{false};
    std::atomic<bool> wokenByUs{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !ended.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!ended.load() && stalledDaemon.load() > 0) {
            wokenByUs.store(true);
            ::kill(static_cast<pid_t>(stalledDaemon.load()), SIGCONT);
        }
    });
    int failed = 0;
    {
        QCoreApplication app(argc, argv);
        TestStalledSessionBus test;
        failed = QTest::qExec(&test, argc, argv);
    }
    ended.store(true);
    watchdog.join();
    if (wokenByUs.load()) {
        std::fprintf(stderr, "FAIL: held up until the silent session bus was woken after 30 s\n");
        return 1;
    }
    return failed;
}

#include "test_stalled_session_bus.moc"
