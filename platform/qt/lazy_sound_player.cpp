// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/lazy_sound_player.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>

#include <atomic>
#include <cstring>

#ifdef __ELF__
#include <elf.h>
#endif

namespace klangor {

namespace {
using Create = SoundPlayer* (*)();
using Build = const char* (*)();
constexpr const char* kModule = "klangor-sound";
constexpr const char* kFactory = "klangor_create_sound_player";
constexpr const char* kBuild = "klangor_sound_module_build";
constexpr const char* kStuck = "klangor_sound_threads_left_behind";
using Stuck = int (*)();
// Of the module that was loaded (it stays loaded to the end of the process).
std::atomic<Stuck> stuckThreads{nullptr};

#ifdef __ELF__
template <typename T>
bool readAt(QFile& f, qint64 offset, T* out) {
    return f.seek(offset) && f.read(reinterpret_cast<char*>(out), sizeof(T)) == qint64(sizeof(T));
}

// Whether the file holds everything its ELF headers promise. A module cut short loads, then
// crashes the program (SIGBUS) when code in the missing part runs.
QString damageOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};  // the loader will say why
    const qint64 size = f.size();
    Elf64_Ehdr eh{};
    if (!readAt(f, 0, &eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
        eh.e_ident[EI_CLASS] != ELFCLASS64)
        return {};  // not a 64-bit ELF file: the loader refuses it by itself
    if (qint64(eh.e_phoff) + qint64(eh.e_phnum) * eh.e_phentsize > size ||
        qint64(eh.e_shoff) + qint64(eh.e_shnum) * eh.e_shentsize > size)
        return QStringLiteral("its headers lie beyond its end");
    for (int i = 0; i < eh.e_phnum; ++i) {
        Elf64_Phdr ph{};
        if (!readAt(f, qint64(eh.e_phoff) + qint64(i) * eh.e_phentsize, &ph))
            return QStringLiteral("a program header cannot be read");
        if (ph.p_type == PT_LOAD && qint64(ph.p_offset + ph.p_filesz) > size)
            return QStringLiteral("it is cut short");
    }
    return {};
}
#endif
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
#ifdef __ELF__
        const QString file =
            QDir(folder).filePath(QStringLiteral("lib%1.so").arg(QLatin1String(kModule)));
        if (const QString damage = damageOf(file); !damage.isEmpty()) {
            tried << file + QStringLiteral(" is damaged: ") + damage;
            continue;
        }
#endif
        if (!module.load()) {
            tried << module.errorString();
            continue;
        }
        // A module of another build may expect another player: only our own is used.
        const auto build = reinterpret_cast<Build>(module.resolve(kBuild));
        if (!build || qstrcmp(build(), KLANGOR_BUILD_STAMP) != 0) {
            tried << module.fileName() + QStringLiteral(" is from another build");
            module.unload();
            continue;
        }
        const auto create = reinterpret_cast<Create>(module.resolve(kFactory));
        stuckThreads.store(reinterpret_cast<Stuck>(module.resolve(kStuck)));
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

bool LazySoundPlayer::threadsLeftBehind() {
    const Stuck stuck = stuckThreads.load();
    return stuck && stuck() > 0;
}

void LazySoundPlayer::play(const QString& name) {
    if (SoundPlayer* player = load())
        player->play(name);
}

void LazySoundPlayer::prepare() {
    if (SoundPlayer* player = load())
        player->prepare();
}

}  // namespace klangor
