// Arms the real alarm, in the real main window with the real platform, for known times of day,
// one after the other, and prints each alarm's time so that tools/bench.sh can compare it with
// when the sound reached the sound server.
//
//   bench_alarm [COUNT [GAP_MS]]
//
// Prints "alarm EPOCH_MS" as each alarm is armed and "done" at the end. Each alarm is armed at a
// random moment 1.5 to 2.5 s before its time (a whole second, as the time picker holds it), so
// that the alarm tick meets the alarm at every phase; the next one is armed GAP_MS after it, when
// its sound has ended.
#include "app/form1.h"
#include "app/theme.h"
#include "platform/platform.h"
#include "platform/session.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 12;
    const int gapMs = argc > 2 ? std::atoi(argv[2]) : 3600;
    if (const QString error = klangor::prepareDisplay(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Klangor"));
    QApplication::setOrganizationName(QStringLiteral("Vostrel"));
    klangor::applyTheme(QStringLiteral("Aqua Light Slate"));

    TForm1 form(klangor::makeSystemPlatform());
    form.show();

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
            const QDateTime now = form.platform().clock->now();
            QDateTime at = now.addMSecs(1500);
            at.setTime(QTime(at.time().hour(), at.time().minute(), at.time().second()));
            at = at.addSecs(1);
            if (!form.wwDBDateTimePicker1->isEnabled())
                form.Button1Click();  // an alarm still armed: stop it first
            form.wwDBDateTimePicker1->setTime(at.time());
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
