// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/lazy_sound_player.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

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
        // The right size, but zeros where the data should be (a crash before the data reached
        // the disk).
        QTest::newRow("zero-filled") << QByteArray(whole.size(), '\0');
        QTest::newRow("zeroed after its headers")
            << whole.left(4096) + QByteArray(whole.size() - 4096, '\0');
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

    // A FIFO where the module belongs: the player does not wait for a writer. (Should it wait,
    // a writer comes after a minute, so that the test fails rather than hangs.)
    void fifoDoesNotHold() {
        QTemporaryDir dir;
        const QByteArray fifo =
            QFile::encodeName(dir.filePath(QStringLiteral("libklangor-sound.so")));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        std::atomic<bool> done{false};
        std::atomic<bool> writerNeeded{false};
        std::thread writer([&] {
            QDeadlineTimer limit(60000);
            while (!done && !limit.hasExpired())
                QThread::msleep(20);
            if (done)
                return;
            writerNeeded = true;
            const int fd = ::open(fifo.constData(), O_WRONLY);
            if (fd >= 0)
                ::close(fd);
        });
        LazySoundPlayer player({dir.path()});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a regular file"));
        player.prepare();
        done = true;
        writer.join();
        QVERIFY(!writerNeeded);
        QVERIFY(!player.isLoaded());
    }

    // A module of a build with the other sanitizer setting is refused before it is loaded: it
    // never comes into the process (loading one built with sanitizers kills it).
    void otherBuildIsNotLoaded() {
        const QString dir = QStringLiteral(KLANGOR_OTHER_BUILD_MODULE_DIR);
        QVERIFY(QFile::exists(dir + QStringLiteral("/libklangor-sound.so")));
        LazySoundPlayer player({dir});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("from another build"));
        player.prepare();
        QVERIFY(!player.isLoaded());
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains(QFile::encodeName(dir)));
    }
};

QTEST_MAIN(TestSoundModule)
#include "test_sound_module.moc"
