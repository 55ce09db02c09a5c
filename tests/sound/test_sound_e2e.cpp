// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "fakes/fake_platform.h"
#include "fakes/form_access.h"
#include "platform/qt/qt_sound_player.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <vector>

using namespace klangor::fakes;

namespace {

constexpr int kRate = 44100;
constexpr double kSoundDb = -40.0;    // a window this loud carries sound
constexpr double kSilenceDb = -60.0;  // a window below this is silent

// Records the null sink's monitor for as long as it lives, as mono 16-bit samples written by
// parec straight into a file, so that the recording goes on while this thread is busy or blocked.
// Frame n of the recording is about n / 44100 s after the recording started; the test places its
// events on this time line by the number of frames written when they happen.
class MonitorRecorder {
public:
    bool start() {
        if (!dir_.isValid())
            return false;
        path_ = dir_.filePath(QStringLiteral("monitor.raw"));
        file_.close();  // started again after the sound server was restarted
        const QString monitor = qEnvironmentVariable("KLANGOR_SINK_MONITOR");
        parec_.setStandardOutputFile(path_);
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("--latency-msec=20"), QStringLiteral("-d"), monitor,
                      QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                      QStringLiteral("--rate=44100"), QStringLiteral("--channels=1")});
        if (!parec_.waitForStarted(60000))
            return false;
        file_.setFileName(path_);
        return file_.open(QIODevice::ReadOnly) && waitFor(kRate / 5, 10000);  // it records
    }

    ~MonitorRecorder() {
        parec_.kill();
        parec_.waitForFinished(2000);
    }

    // Frames recorded so far: "now" on the recording's time line.
    qint64 now() const { return QFileInfo(path_).size() / 2; }

    // Level in dBFS of the loudest 50 ms window in [from, to) seconds after frame `mark`,
    // waiting for the recording to get there.
    double loudest(qint64 mark, double from, double to) {
        const qint64 a = mark + qint64(from * kRate);
        const qint64 b = mark + qint64(to * kRate);
        if (!waitFor(b, 10000) || !file_.seek(a * 2))
            return 999.0;
        const QByteArray raw = file_.read((b - a) * 2);
        const qint64 n = raw.size() / 2;
        auto sample = [&raw](qint64 i) {
            return double(std::int16_t(quint8(raw[2 * i]) | (quint8(raw[2 * i + 1]) << 8)));
        };
        double loudest = -200.0;
        const qint64 win = kRate / 20;
        for (qint64 w = 0; w < n; w += win / 2) {
            double sum = 0;
            const qint64 end = std::min(n, w + win);
            for (qint64 i = w; i < end; ++i)
                sum += sample(i) * sample(i);
            const double rms = std::sqrt(sum / double(std::max<qint64>(1, end - w)));
            loudest = std::max(loudest, rms > 0 ? 20.0 * std::log10(rms / 32768.0) : -200.0);
        }
        return loudest;
    }

    // The frame at which sound first comes out within `within` seconds after frame `mark`
    // (10 ms resolution), or -1 if it stays silent.
    qint64 onset(qint64 mark, double within) {
        for (double t = 0; t < within; t += 0.01) {
            if (loudest(mark, t, t + 0.01) > kSoundDb)
                return mark + qint64(t * kRate);
        }
        return -1;
    }

    // Waits (up to 5 s) for a quiet stretch, so that one test's sound does not reach the next.
    bool settle() {
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            if (loudest(now(), 0.0, 0.2) < kSilenceDb)
                return true;
        }
        return false;
    }

private:
    bool waitFor(qint64 frames, int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (now() < frames) {
            if (deadline.hasExpired() || parec_.state() != QProcess::Running)
                return false;
            QTest::qWait(10);
        }
        return true;
    }

    QTemporaryDir dir_;
    QString path_;
    QProcess parec_;
    QFile file_;
};

QByteArray db(double v) {
    return QByteArray::number(v, 'f', 1) + " dB";
}

}  // namespace

#define VERIFY_SOUND(level) QVERIFY2((level) > kSoundDb, "expected sound, got " + db(level))
#define VERIFY_SILENCE(level) QVERIFY2((level) < kSilenceDb, "expected silence, got " + db(level))

// The real Qt player against a PulseAudio null sink (run through tools/e2e/desktop-session.sh),
// heard through the sink's monitor. Checks are placed after the moment sound actually came out
// and leave room for a slow, busy machine: output latency is normally tens of ms.
class TestSoundE2E : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("KLANGOR_SINK_MONITOR"))
            QFAIL(
                "needs the private desktop of tools/e2e/desktop-session.sh (KLANGOR_SINK_MONITOR)");
        QVERIFY2(rec_.start(), "parec does not record the sink's monitor");
    }

    void init() { QVERIFY(rec_.settle()); }

    // A preview press plays its list's sound once: notify sounds for about 0.95 s, then silence.
    void previewPressPlays() {
        Fakes fakes;
        TForm1 form(withRealSound(fakes));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ctl(form).PageControl1->setCurrentIndex(1);
        ctl(form).sxMinutes->setCurrentIndex(2);
        const qint64 mark = rec_.now();
        QTest::mouseClick(ctl(form).SpeedButton1, Qt::LeftButton);
        const qint64 on = rec_.onset(mark, 1.5);
        QVERIFY2(on >= 0, "the press played nothing");
        VERIFY_SOUND(rec_.loudest(on, 0.3, 0.7));
        VERIFY_SILENCE(rec_.loudest(on, 1.2, 1.6));
    }

    // "Quiet" (index 5) and no selection (-1) play nothing, and do not stop a sound that plays.
    void quietAndNoSelection() {
        Fakes fakes;
        TForm1 form(withRealSound(fakes));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ctl(form).sxMinutes->setCurrentIndex(5);
        ctl(form).salarm->setCurrentIndex(-1);
        qint64 mark = rec_.now();
        form.SpeedButton1Click();
        form.SpeedButton3Click();
        VERIFY_SILENCE(rec_.loudest(mark, 0.0, 1.0));

        ctl(form).sxMinutes2->setCurrentIndex(4);  // wend, sound for 10 s
        mark = rec_.now();
        form.SpeedButton2Click();
        QVERIFY2(rec_.onset(mark, 1.5) >= 0, "wend did not start");
        form.SpeedButton1Click();
        form.SpeedButton3Click();
        form.PlaySnd(-1);
        mark = rec_.now();
        VERIFY_SOUND(rec_.loudest(mark, 0.2, 0.5));
        VERIFY_SOUND(rec_.loudest(mark, 0.8, 1.1));
    }

    // The alarm's "repeat twice" plays, blocks the user-interface thread for 2 s and plays
    // again. The first sound comes out during the block (playback needs nothing from the
    // caller's thread), and the next one cuts it off: cock2 would go on for 5 s, but once
    // notify has played out it is silent.
    void playsWhileCallerBlocksAndNextCutsIt() {
        Fakes fakes;
        TForm1 form(withRealSound(fakes));
        const qint64 first = rec_.now();
        form.PlaySnd(1);  // cock2
        QThread::msleep(2000);
        const qint64 second = rec_.now();
        form.PlaySnd(2);  // notify
        const qint64 on = rec_.onset(first, 1.6);
        QVERIFY2(on >= 0, "nothing came out while the caller slept");
        VERIFY_SOUND(rec_.loudest(second, 0.1, 0.6));
        VERIFY_SILENCE(rec_.loudest(second, 2.0, 2.5));
    }

    // Two quick presses: the second starts the sound again, so it sounds on after a single
    // play would be over, and ends one play after the second press.
    void twoQuickPressesRestart() {
        Fakes fakes;
        TForm1 form(withRealSound(fakes));
        ctl(form).sxMinutes2->setCurrentIndex(2);  // notify
        const qint64 first = rec_.now();
        ctl(form).SpeedButton2->click();
        const qint64 on = rec_.onset(first, 1.5);
        QVERIFY2(on >= 0, "the first press played nothing");
        QTest::qWait(400);
        const qint64 second = rec_.now();
        ctl(form).SpeedButton2->click();
        VERIFY_SOUND(rec_.loudest(on, 1.15, 1.35));
        VERIFY_SILENCE(rec_.loudest(second, 2.0, 2.4));
    }

    // A sound server that stops answering (kill -STOP) holds the sound thread: the alarm still
    // rings with its window, later sounds get a new thread, and the end of the program does not
    // wait for the stuck one.
    void stalledSoundServer() {
        const qint64 server = soundServerPid();
        QVERIFY2(server > 0, "the private desktop's sound server was not found");

        auto form = std::make_unique<TForm1>(withRealSound(fakes_));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        ctl(*form).wwDBDateTimePicker1->setTime(fakes_.clock->now().time().addSecs(30));
        form->Button1Click();

        QVERIFY(::kill(static_cast<pid_t>(server), SIGSTOP) == 0);
        struct Resume {
            qint64 pid;
            ~Resume() { ::kill(static_cast<pid_t>(pid), SIGCONT); }
        } resume{server};

        // The server stays stopped until the end of the test: a call that waited for it would
        // never return. Only the calls are timed, against a bound far above a loaded machine's.
        QElapsedTimer took;
        qint64 inCalls = 0;
        const auto timed = [&](auto&& call) {
            took.restart();
            call();
            inCalls += took.elapsed();
        };
        timed([&] { form->SpeedButton3Click(); });  // the sound thread goes to the stopped server
        QTest::qWait(500);
        fakes_.clock->advanceMs(29'000);
        // Readying the sound in the alarm's last seconds finds the stuck thread out, so the
        // ring's sound goes to a new one.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("sound thread has not answered"));
        timed([&] { form->Timer1Timer(); });  // the last seconds before the alarm: readied
        QTest::qWait(3500);
        fakes_.clock->advanceMs(2'000);
        timed([&] { form->Timer1Timer(); });  // rings: the window comes back, whatever the sound
        QVERIFY(!ctl(*form).Timer1->isActive());
        QCOMPARE(fakes_.window->restores, 1);
        QVERIFY2(inCalls < 10000, "a stalled sound server held the window");

        // The player goes with the window, leaving the stuck thread behind: it waits a moment
        // (2 s at most) for its thread, where waiting for a stuck one would last as long as the
        // server stays stopped.
        took.restart();
        form.reset();
        QVERIFY2(took.elapsed() < 10000, "the end of the program waited for the sound thread");
        // The server comes back: the thread left behind finishes its work and ends before this
        // test program does.
        ::kill(static_cast<pid_t>(server), SIGCONT);
        QTest::qWait(3000);
    }

    // The sound server ends (killed) and a new one takes its place on the same socket: once as
    // a sound starts, once while it plays. The player notices that its connection is gone,
    // says so, and the next sounds, a preview and then the alarm's, come out of the new server.
    void soundServerRestarted_data() {
        QTest::addColumn<bool>("whilePlaying");
        QTest::addColumn<int>("sound");
        QTest::addColumn<QString>("said");
        // Whether the player gets to the old server first or only to the new one is a race
        // here: it says what it met, if anything.
        QTest::newRow("as the sound starts") << false << 2 << QString();  // notify, 1.3 s
        QTest::newRow("while it plays")
            << true << 4 << QStringLiteral("connection to the sound server was lost");  // wend
    }
    void soundServerRestarted() {
        QFETCH(bool, whilePlaying);
        QFETCH(int, sound);
        QFETCH(QString, said);
        const qint64 server = soundServerPid();
        QVERIFY2(server > 0, "the sound server was not found");
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(server));
        QVERIFY(cmdline.open(QIODevice::ReadOnly));
        QList<QByteArray> args = cmdline.readAll().split('\0');
        while (!args.isEmpty() && args.last().isEmpty())
            args.removeLast();
        QVERIFY(!args.isEmpty());

        Fakes fakes;
        TForm1 form(withRealSound(fakes));
        ctl(form).sxMinutes2->setCurrentIndex(sound);
        qint64 mark = rec_.now();
        form.SpeedButton2Click();
        if (whilePlaying)
            QVERIFY2(rec_.onset(mark, 1.5) >= 0, "wend did not start");

        if (!said.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(said));
        QVERIFY(::kill(static_cast<pid_t>(server), SIGKILL) == 0);
        QStringList again;
        for (qsizetype i = 1; i < args.size(); ++i)
            again << QString::fromLocal8Bit(args[i]);
        for (QProcess* p : {&keepAwake_, &restarted_}) {
            p->kill();
            p->waitForFinished(5000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!alive(server), 10000);
        restarted_.setStandardOutputFile(QProcess::nullDevice());
        restarted_.setStandardErrorFile(QProcess::nullDevice());
        restarted_.start(QString::fromLocal8Bit(args.first()), again);
        QVERIFY(restarted_.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(quietly("pactl", {"info"}) == 0, 20000);
        QCOMPARE(quietly("pactl", {"set-default-sink", "klangor_sink"}), 0);
        keepAwake_.start(QStringLiteral("pacat"),
                         {QStringLiteral("--playback"), QStringLiteral("--latency-msec=10"),
                          QStringLiteral("--device=klangor_sink"), QStringLiteral("/dev/zero")});
        QVERIFY(keepAwake_.waitForStarted(10000));
        QVERIFY2(rec_.start(), "parec does not record the new server's sink");

        for (int index : {2, 0}) {  // notify, then cock1 (the alarm's)
            QVERIFY(rec_.settle());
            ctl(form).sxMinutes2->setCurrentIndex(index);
            mark = rec_.now();
            form.SpeedButton2Click();
            QVERIFY2(rec_.onset(mark, 10.0) >= 0, "silent after the sound server was restarted");
        }
    }

    void cleanupTestCase() {
        for (QProcess* p : {&keepAwake_, &restarted_}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

private:
    Fakes fakes_;
    QProcess restarted_;  // a sound server this test started in place of the desktop's
    QProcess keepAwake_;  // its silent stream

    static qint64 soundServerPid() {
        const QString socket = qEnvironmentVariable("PULSE_SERVER").mid(5);  // "unix:..."
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"),
                    {QStringLiteral("-f"), QStringLiteral("pulseaudio .*socket=") + socket});
        if (!pgrep.waitForFinished(5000))
            return 0;
        return pgrep.readAllStandardOutput().split('\n').first().toLongLong();
    }
    static int quietly(const char* program, const QStringList& args) {
        QProcess p;
        p.start(QString::fromLatin1(program), args);
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode()
                                                                                  : -1;
    }
    static bool alive(qint64 pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        return stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z ");
    }

    // The fakes, but the real sound player.
    static klangor::Platform withRealSound(Fakes& fakes) {
        klangor::Platform platform = fakes.platform();
        platform.sound = std::make_shared<klangor::QtSoundPlayer>();
        return platform;
    }

    MonitorRecorder rec_;
};

QTEST_MAIN(TestSoundE2E)
#include "test_sound_e2e.moc"
