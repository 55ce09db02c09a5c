// SPDX-License-Identifier: GPL-3.0-or-later
// A system bus that has stopped answering (its daemon stopped with SIGSTOP) when the first power
// request comes: the request returns at once, the window's event loop keeps running, and the
// request reports failure after its own time-out. Meanwhile the session bus, where the
// notifications go, keeps working. The application goes away at once while the bus is still
// silent, and leaves no thread of ours behind.

#include "platform/linux/logind_power.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <thread>

using namespace klangor;

namespace {

// The stopped system bus's daemon, for the watchdog in main().
std::atomic<qint64> stalledDaemon{0};

/// Whether a thread of this process carries the given name.
bool threadNamed(const QByteArray& name) {
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            return true;
    }
    return false;
}

}  // namespace

class TestStalledBus : public QObject {
    Q_OBJECT

public:
    explicit TestStalledBus(const QString& socket) : socket_(socket) {}

private:
    QString socket_;
    qint64 pid_ = 0;
    QProcess sessionDaemon_;

private slots:
    void initTestCase() {
        // A bus of our own, started before anything in the process touches D-Bus. Detached,
        // so that it outlives the application object this test ends with.
        QProcess daemon;
        daemon.setProgram(QStringLiteral("dbus-daemon"));
        daemon.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                             QStringLiteral("--address=unix:path=") + socket_});
        daemon.setStandardOutputFile(QProcess::nullDevice());
        daemon.setStandardErrorFile(QProcess::nullDevice());  // its complaint about fd limits
        QVERIFY2(daemon.startDetached(&pid_), "no dbus-daemon (tools/install-deps.sh)");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket_), 10000);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray("unix:path=") + QFile::encodeName(socket_));
        QVERIFY(::kill(static_cast<pid_t>(pid_), SIGSTOP) == 0);
        stalledDaemon.store(pid_);

        // A live session bus, connected before the system bus is first touched, as the
        // notifications are.
        sessionDaemon_.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"),
             QStringLiteral("--print-address=1"), QStringLiteral("--address=unix:tmpdir=/tmp")});
        QVERIFY(sessionDaemon_.waitForReadyRead(5000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", sessionDaemon_.readLine().trimmed());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void cleanupTestCase() {
        QVERIFY2(threadNamed("klangor bus"), "the bus is answering already, or no thread waits");
        sessionDaemon_.kill();
        sessionDaemon_.waitForFinished(5000);
    }

    void requestNeverFreezesTheWindow() {
        LogindPower power(1500);
        std::optional<bool> result;
        int pingsAtResult = -1;
        int pings = 0;
        power.request(PowerAction::Suspend, [&](bool ok) {
            result = ok;
            pingsAtResult = pings;
        });
        QVERIFY2(!result.has_value(), "the request waited for the bus");

        // The event loop answers while the bus does not: a request that had waited through its
        // time-out would answer before the first ping.
        QTimer ping;
        connect(&ping, &QTimer::timeout, this, [&] { ++pings; });
        ping.start(100);
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
        QCOMPARE(*result, false);
        QVERIFY2(pingsAtResult >= 3,
                 qPrintable(QStringLiteral("only %1 pings before the answer").arg(pingsAtResult)));

        // The session bus still answers while the system bus is silent.
        const auto call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
        QDBusPendingCallWatcher watcher(QDBusConnection::sessionBus().asyncCall(call, 5000));
        QTRY_VERIFY_WITH_TIMEOUT(watcher.isFinished(), 10000);
        QVERIFY2(!watcher.isError(), qPrintable(watcher.error().message()));
    }
};

int main(int argc, char** argv) {
    // The whole test takes about two seconds. Should anything wait for the stopped bus (the
    // window frozen, or the application waiting for it as it goes away), the bus is woken
    // after 30 s so that the test ends, and fails.
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
    QTemporaryDir dir;
    int failed = 0;
    {
        // The system bus is still stopped while the application goes away.
        QCoreApplication app(argc, argv);
        TestStalledBus test(dir.filePath(QStringLiteral("bus")));
        failed = QTest::qExec(&test, argc, argv);
    }
    ended.store(true);
    watchdog.join();
    // The application is gone: nothing of ours may still be waiting in D-Bus.
    const bool leftBehind = threadNamed("klangor bus");
    if (const qint64 daemon = stalledDaemon.load(); daemon > 0) {
        ::kill(static_cast<pid_t>(daemon), SIGCONT);
        ::kill(static_cast<pid_t>(daemon), SIGTERM);
    }
    if (wokenByUs.load()) {
        std::fprintf(stderr, "FAIL: held up until the silent system bus was woken after 30 s\n");
        return 1;
    }
    if (leftBehind) {
        std::fprintf(stderr, "FAIL: the bus thread outlived the application\n");
        return 1;
    }
    return failed;
}

#include "test_stalled_bus.moc"
