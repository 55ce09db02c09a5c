// SPDX-License-Identifier: GPL-3.0-or-later
// A system bus that has stopped answering (its daemon stopped with SIGSTOP) when the first power
// request comes: the request returns at once, the window's event loop keeps running, and the
// request reports failure after its own time-out. When the application goes away while the bus
// is still silent, it waits for the bus's answer rather than leave a thread of ours inside
// Qt's D-Bus code while the process tears down.

#include "platform/linux/logind_power.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <optional>

using namespace klangor;

namespace {

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
    qint64 daemonPid() const { return pid_; }

private:
    QString socket_;
    qint64 pid_ = 0;

private slots:
    void initTestCase() {
        // A bus of our own, started before anything in the process touches D-Bus. Detached,
        // so that it outlives the application object this test ends with.
        QProcess daemon;
        daemon.setProgram(QStringLiteral("dbus-daemon"));
        daemon.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                             QStringLiteral("--address=unix:path=") + socket_});
        daemon.setStandardErrorFile(QProcess::nullDevice());  // its complaint about fd limits
        QVERIFY2(daemon.startDetached(&pid_), "no dbus-daemon (tools/install-deps.sh)");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket_), 10000);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray("unix:path=") + QFile::encodeName(socket_));
        QVERIFY(::kill(static_cast<pid_t>(pid_), SIGSTOP) == 0);
    }

    void cleanupTestCase() {
        QVERIFY2(threadNamed("klangor bus"), "the bus is answering already, or no thread waits");
        // The bus wakes a second after the test ends, while the application is going away.
        QVERIFY(QProcess::startDetached(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("sleep 1; kill -CONT %1").arg(pid_)}));
    }

    void requestNeverFreezesTheWindow() {
        LogindPower power(1500);
        std::optional<bool> result;
        QElapsedTimer took;
        took.start();
        power.request(PowerAction::Suspend, [&](bool ok) { result = ok; });
        QVERIFY2(took.elapsed() < 500, "the request waited for the bus");

        // The event loop answers while the bus does not.
        int pings = 0;
        QTimer ping;
        connect(&ping, &QTimer::timeout, this, [&] { ++pings; });
        ping.start(100);
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 10000);
        QCOMPARE(*result, false);
        QVERIFY2(pings >= 10, qPrintable(QStringLiteral("only %1 pings").arg(pings)));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir dir;
    qint64 daemon = 0;
    int failed = 0;
    {
        QCoreApplication app(argc, argv);
        TestStalledBus test(dir.filePath(QStringLiteral("bus")));
        failed = QTest::qExec(&test, argc, argv);
        daemon = test.daemonPid();
    }
    // The application is gone: nothing of ours may still be waiting in D-Bus.
    const bool leftBehind = threadNamed("klangor bus");
    if (daemon > 0) {
        ::kill(static_cast<pid_t>(daemon), SIGCONT);
        ::kill(static_cast<pid_t>(daemon), SIGTERM);
    }
    if (leftBehind) {
        std::fprintf(stderr, "FAIL: the bus thread outlived the application\n");
        return 1;
    }
    return failed;
}

#include "test_stalled_bus.moc"
