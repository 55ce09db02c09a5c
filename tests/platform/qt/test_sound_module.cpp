// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/lazy_sound_player.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using klangor::LazySoundPlayer;

// The program loads its sound player from the sound module on first use. CTest points
// PULSE_SERVER nowhere, so nothing is heard.
class TestSoundModule : public QObject {
    Q_OBJECT

private slots:
    void loadsFromTheFirstFolderThatHasIt() {
        LazySoundPlayer player(
            {QStringLiteral("/nonexistent/klangor"), QStringLiteral(KLANGOR_SOUND_MODULE_DIR)});
        QVERIFY(!player.isLoaded());  // nothing is loaded before it is needed
        player.prepare();
        QVERIFY(player.isLoaded());
        QElapsedTimer t;
        t.start();
        player.play(QStringLiteral("cock1"));
        player.play(QStringLiteral("notify"));
        // Playing only hands the sound to the player's thread; waiting for it (forever, as there
        // is no server) would be a hang, which this bound is far below.
        QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
        QTest::qWait(200);
    }

    void firstPlayLoadsItToo() {
        LazySoundPlayer player({QStringLiteral(KLANGOR_SOUND_MODULE_DIR)});
        player.play(QStringLiteral("wend"));
        QVERIFY(player.isLoaded());
    }

    // No module, or a file of that name that is not one: one warning, then silence.
    void missingOrBrokenModuleStaysSilent_data() {
        QTest::addColumn<QByteArray>("content");  // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a library") << QByteArray(
            "\x7f"
            "ELF garbage",
            12);
        QTest::newRow("text") << QByteArray("#!/bin/sh\necho hello\n");
        // A module cut short (a full disk, an interrupted copy): loading it would crash.
        QFile real(QStringLiteral(KLANGOR_SOUND_MODULE_DIR "/libklangor-sound.so"));
        QVERIFY2(real.open(QIODevice::ReadOnly), "the built sound module is missing");
        const QByteArray whole = real.readAll();
        QTest::newRow("truncated to a half") << whole.left(whole.size() / 2);
        QTest::newRow("truncated by a page") << whole.left(whole.size() - 4096);
    }

    void missingOrBrokenModuleStaysSilent() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        if (!content.isEmpty()) {
            QFile f(dir.filePath(QStringLiteral("libklangor-sound.so")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        LazySoundPlayer player({dir.path()});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no sound module"));
        player.prepare();
        QVERIFY(!player.isLoaded());
        QTest::failOnWarning(QRegularExpression("no sound module"));
        player.play(QStringLiteral("cock1"));
        player.prepare();
        QVERIFY(!player.isLoaded());
    }
};

QTEST_MAIN(TestSoundModule)
#include "test_sound_module.moc"
