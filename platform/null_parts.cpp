#include "platform/null_parts.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcNull, "klangor.platform")

namespace klangor {

void NullPower::request(PowerAction action, std::function<void(bool)> done) {
    qCWarning(lcNull) << "no power mechanism on this system; skipped action"
                      << static_cast<int>(action);
    if (done)
        done(false);
}

void NullMonitor::switchOff(std::function<void(bool)> done) {
    qCWarning(lcNull) << "no way to switch the monitor off on this system";
    if (done)
        done(false);
}

void NullNotifier::notify(const QString&, const QString&) {}

void NullSoundPlayer::play(const QString& name) {
    qCWarning(lcNull) << "no sound player; skipped" << name;
}

}  // namespace klangor
