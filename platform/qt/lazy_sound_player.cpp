#include "platform/qt/lazy_sound_player.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace klangor {

namespace {
using Create = SoundPlayer* (*)();
constexpr const char* kModule = "klangor-sound";
constexpr const char* kFactory = "klangor_create_sound_player";
}  // namespace

LazySoundPlayer::LazySoundPlayer(QStringList folders) : folders_(std::move(folders)) {}

// The module stays loaded to the end of the process: its code may still run on the player's
// thread while the player winds down.
LazySoundPlayer::~LazySoundPlayer() = default;

QStringList LazySoundPlayer::defaultFolders() {
    const QString own = QCoreApplication::applicationDirPath();
    return {QDir::cleanPath(own + QStringLiteral("/" KLANGOR_MODULE_DIR_FROM_BIN)), own};
}

SoundPlayer* LazySoundPlayer::load() {
    if (player_ || failed_)
        return player_.get();
    QStringList tried;
    for (const QString& folder : folders_) {
        QLibrary module(QDir(folder).filePath(QLatin1String(kModule)));
        if (!module.load()) {
            tried << module.errorString();
            continue;
        }
        const auto create = reinterpret_cast<Create>(module.resolve(kFactory));
        if (create)
            player_.reset(create());
        if (player_)
            return player_.get();
        tried << module.fileName() + QStringLiteral(": no sound player in it");
    }
    failed_ = true;
    qCWarning(lcSound).noquote() << "no sound module; the program stays silent."
                                 << tried.join(QStringLiteral("; "));
    return nullptr;
}

void LazySoundPlayer::play(const QString& name) {
    if (SoundPlayer* player = load())
        player->play(name);
}

void LazySoundPlayer::prepare() {
    load();
}

}  // namespace klangor
