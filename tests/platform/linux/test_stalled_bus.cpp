// SPDX-License-Identifier: GPL-3.0-or-later
// A system bus that has stopped answering (its daemon stopped with SIGSTOP) when the first power
// request comes: the request returns at once, the window's event loop keeps running, and the
// request reports failure after its own time-out.

#include "platform/linux/logind_power.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <optional>

using namespace klangor;

class TestStalledBus : public QObject {
    Q_OBJECT

    QProcess daemon_;
    qint64 pid_ = 0;

private slots:
    void initTestCase() {
        // A bus of our own, started before anything in the process touches D-Bus.
        daemon_.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"),
             QStringLiteral("--print-address=1"), QStringLiteral("--address=unix:tmpdir=/tmp")});
        QVERIFY2(daemon_.waitForStarted(5000), "no dbus-daemon (tools/install-deps.sh)");
        QVERIFY(daemon_.waitForReadyRead(5000));
        const QByteArray address = daemon_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        pid_ = daemon_.processId();
        QVERIFY(::kill(static_cast<pid_t>(pid_), SIGSTOP) == 0);
    }

    void cleanupTestCase() {
        ::kill(static_cast<pid_t>(pid_), SIGCONT);
        daemon_.kill();
        daemon_.waitForFinished(5000);
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

QTEST_GUILESS_MAIN(TestStalledBus)
#include "test_stalled_bus.moc"
