// SPDX-License-Identifier: GPL-3.0-or-later
// Arms the real alarm, in the real main window with the real platform, for known times of day,
// one after the other, and prints each alarm's time so that tools/bench.sh can compare it with
// when the sound reached the sound server.
//
//   bench_alarm [COUNT [GAP_MS]]
//
// Prints "alarm EPOCH_MS" as each alarm is armed, "play EPOCH_MS" when the program hands a sound
// to the sound player (so that the delay splits into the alarm's own part and the playback's),
// and "done" at the end. Each alarm is armed at a
// random moment 1.5 to 2.5 s before its time (a whole second, as the time picker holds it), so
// that the alarm tick meets the alarm at every phase; the next one is armed GAP_MS after it, when
// its sound has ended.
#include "app/application.h"
#include "app/form1.h"
#include "platform/platform.h"
#include "platform/qt/lazy_sound_player.h"
#include "platform/session.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>

namespace {

/// Forwards to the real sound player and notes when each play was asked for.
class TimedSoundPlayer final : public klangor::SoundPlayer {
public:
    explicit TimedSoundPlayer(std::shared_ptr<klangor::SoundPlayer> real)
        : real_(std::move(real)) {}
    void play(const QString& name) override {
        std::printf("play %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        std::fflush(stdout);
        real_->play(name);
    }
    void prepare() override { real_->prepare(); }

private:
    std::shared_ptr<klangor::SoundPlayer> real_;
};

}  // namespace

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 12;
    const int gapMs = argc > 2 ? std::atoi(argv[2]) : 3600;
    if (const QString error = klangor::prepareDisplay(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    klangor::setUpApplication();

    klangor::Platform platform = klangor::makeSystemPlatform();
    // The program's own player, with the sound module of this build tree.
    platform.sound = std::make_shared<TimedSoundPlayer>(std::make_shared<klangor::LazySoundPlayer>(
        QStringList{QStringLiteral(KLANGOR_SOUND_MODULE_DIR)}));
    TForm1 form(platform);
    form.show();
    auto* picker = form.findChild<QDateTimeEdit*>(QStringLiteral("wwDBDateTimePicker1"));

    std::mt19937 rng(std::random_device{}());
    std::uniform_int_distribution<int> phase(0, 999);
    int armed = 0;
    std::function<void()> armNext = [&] {
        if (armed == count) {
            std::printf("done\n");
            std::fflush(stdout);
            form.close();
            app.quit();
            return;
        }
        QTimer::singleShot(phase(rng), &form, [&] {
            const QDateTime now = platform.clock->now();
            QDateTime at = now.addMSecs(1500);
            at.setTime(QTime(at.time().hour(), at.time().minute(), at.time().second()));
            at = at.addSecs(1);
            if (!picker->isEnabled())
                form.Button1Click();  // an alarm still armed: stop it first
            picker->setTime(at.time());
            form.Button1Click();
            ++armed;
            std::printf("alarm %lld\n", static_cast<long long>(at.toMSecsSinceEpoch()));
            std::fflush(stdout);
            QTimer::singleShot(static_cast<int>(now.msecsTo(at)) + gapMs, &form, armNext);
        });
    };
    QTimer::singleShot(1500, &form, armNext);
    return app.exec();
}
