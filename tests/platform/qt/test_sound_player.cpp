// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_sound_player.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using klangor::QtSoundPlayer;

// The real player where no sound server answers (CTest points PULSE_SERVER nowhere): playing
// must neither block the caller nor wait for the sound to end, however often it is asked.
// Without a server a sound "plays" forever, so a play that waited would never return: the
// bounds below are far above what a loaded machine needs, and far below forever.
namespace {
constexpr qint64 kHangMs = 10000;
}
class TestSoundPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(qEnvironmentVariableIsSet("PULSE_SERVER")); }

    void playNeverBlocks() {
        QtSoundPlayer player;
        const QStringList names{"cock1", "COCK2", "Notify", "wbegin", "wend", "cock1", "cock1"};
        for (int round = 0; round < 2; ++round) {
            for (const QString& name : names) {
                QElapsedTimer t;
                t.start();
                player.play(name);
                QVERIFY2(t.elapsed() < kHangMs,
                         qPrintable(QStringLiteral("%1 took %2 ms").arg(name).arg(t.elapsed())));
            }
            // Meanwhile the event loop keeps turning: a 10 ms timer keeps ticking while the
            // effects load and "play" (forever, without a server).
            int ticks = 0;
            QTimer tick;
            connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
            tick.start(10);
            QVERIFY2(QTest::qWaitFor([&ticks] { return ticks >= 10; }, int(kHangMs)),
                     qPrintable(QString::number(ticks)));
        }
    }

    // Closing the program while a sound "plays" forever (no server) does not hang either, and
    // the sound thread ends with it rather than being left behind.
    void destroyWhilePlaying() {
        QTest::failOnWarning(QRegularExpression("sound thread did not end"));
        QElapsedTimer t;
        {
            QtSoundPlayer player;
            player.play(QStringLiteral("wend"));
            QTest::qWait(300);
            player.play(QStringLiteral("cock1"));
            t.start();
        }
        QVERIFY2(t.elapsed() < kHangMs, qPrintable(QString::number(t.elapsed())));
    }

    void unknownNamesAreLoggedAndSkipped_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("unknown") << QStringLiteral("cock3");
        QTest::newRow("path") << QStringLiteral("../sounds/cock1");
        QTest::newRow("with extension") << QStringLiteral("cock1.wav");
        QTest::newRow("file url") << QStringLiteral("file:///etc/passwd");
    }

    void unknownNamesAreLoggedAndSkipped() {
        QFETCH(QString, name);
        QtSoundPlayer player;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no built-in sound named"));
        player.play(name);
    }
};

QTEST_MAIN(TestSoundPlayer)
#include "test_sound_player.moc"
