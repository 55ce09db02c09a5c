// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The real program, ended the ways a desktop ends programs: each way saves the settings.
class TestQuitSaves : public QObject {
    Q_OBJECT

private slots:
    // A flood: rounds of all three, sent without pause for as long as it lasts; the program must
    // neither hang on them nor lose the save.
    void signalSaves_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("rounds");
        QTest::newRow("SIGTERM") << SIGTERM << 1;
        QTest::newRow("SIGINT") << SIGINT << 1;
        QTest::newRow("SIGHUP") << SIGHUP << 1;
        QTest::newRow("flood") << SIGTERM << 3000;
    }
    void signalSaves() {
        QFETCH(int, signal);
        QFETCH(int, rounds);
        QTemporaryDir config;
        QVERIFY(config.isValid());
        const QString file = config.filePath(QStringLiteral("Vostrel/klangor2.conf"));
        QVERIFY(QDir().mkpath(config.filePath(QStringLiteral("Vostrel"))));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[General]\nlang=TR\nxMinutes=33\nsalarm=2\nchkTwo=1\nleftover=x\n");
        }

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(KLANGOR_BINARY), {});
        QVERIFY(program.waitForStarted());

        // Ready once the program catches the signal (it does so just before its window shows);
        // a signal sent earlier would end it the hard way.
        const QString status = QStringLiteral("/proc/%1/status").arg(program.processId());
        const auto catches = [&]() -> bool {
            QFile f(status);
            if (!f.open(QIODevice::ReadOnly))
                return false;
            for (const QByteArray& line : f.readAll().split('\n'))
                if (line.startsWith("SigCgt:"))
                    return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1U;
            return false;
        };
        QVERIFY(QTest::qWaitFor(catches, 60000));
        const auto pid = static_cast<pid_t>(program.processId());
        QVERIFY(::kill(pid, signal) == 0);
        // Until the rounds are done or the program has gone.
        bool there = true;
        for (int i = 1; i < rounds && there; ++i)
            for (const int sig : {SIGTERM, SIGHUP, SIGINT})
                there = there && ::kill(pid, sig) == 0;
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()),
                 QStringLiteral("[General]\nchkTurnOff=0\nchkTwo=1\nlang=TR\nleftover=x\n"
                                "salarm=2\nsxMinutes=0\nsxMinutes2=0\nxMinutes=33\nxMinutes2=5\n"));
    }
};

QTEST_GUILESS_MAIN(TestQuitSaves)
#include "test_quit_saves.moc"
