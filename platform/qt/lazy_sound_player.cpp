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
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
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
// No sound module comes near this; a larger file is not read.
constexpr qint64 kLargestModule = qint64(256) << 20;

// The machine the program itself was built for, from its own ELF header.
int ownMachine() {
    QFile self(QStringLiteral("/proc/self/exe"));
    ElfW(Ehdr) eh{};
    if (!self.open(QIODevice::ReadOnly) ||
        self.read(reinterpret_cast<char*>(&eh), sizeof eh) != qint64(sizeof eh))
        return -1;
    return eh.e_machine;
}

// What is wrong with `data` as a shared library of this system, or nothing. The loader takes a
// file whose code was cut off or zeroed and the program crashes when that code runs, so the
// headers are checked against the file, and the dynamic section must hold what a library needs.
QString elfDamage(const QByteArray& data) {
    using Ehdr = ElfW(Ehdr);
    using Phdr = ElfW(Phdr);
    using Dyn = ElfW(Dyn);
    const quint64 size = quint64(data.size());
    const auto within = [size](quint64 offset, quint64 length) {
        return offset <= size && length <= size - offset;
    };
    const auto read = [&data]<typename T>(quint64 offset, T* out) {
        std::memcpy(out, data.constData() + offset, sizeof(T));
    };
    constexpr unsigned char kClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    constexpr unsigned char kData = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;
    Ehdr eh{};
    if (!within(0, sizeof eh))
        return QStringLiteral("it is too short to be a library");
    read(0, &eh);
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != kClass ||
        eh.e_ident[EI_DATA] != kData || eh.e_ident[EI_VERSION] != EV_CURRENT ||
        eh.e_type != ET_DYN || eh.e_machine != ownMachine())
        return QStringLiteral("it is not a library of this system");
    if (eh.e_phentsize != sizeof(Phdr) || eh.e_phnum == 0 ||
        !within(eh.e_phoff, quint64(eh.e_phnum) * sizeof(Phdr)) ||
        !within(eh.e_shoff, quint64(eh.e_shnum) * eh.e_shentsize))
        return QStringLiteral("its headers lie beyond its end");
    int loads = 0;
    std::optional<Phdr> dynamic;
    for (int i = 0; i < eh.e_phnum; ++i) {
        Phdr ph{};
        read(eh.e_phoff + quint64(i) * sizeof(Phdr), &ph);
        if (ph.p_type == PT_LOAD) {
            ++loads;
            if (!within(ph.p_offset, ph.p_filesz))
                return QStringLiteral("it is cut short");
            const bool aligned =
                ph.p_align <= 1 || ((ph.p_align & (ph.p_align - 1)) == 0 &&
                                    ph.p_offset % ph.p_align == ph.p_vaddr % ph.p_align);
            if (ph.p_filesz > ph.p_memsz || !aligned)
                return QStringLiteral("a program header is damaged");
        } else if (ph.p_type == PT_DYNAMIC) {
            dynamic = ph;
        }
    }
    if (loads == 0 || !dynamic || !within(dynamic->p_offset, dynamic->p_filesz))
        return QStringLiteral("its program headers are damaged");
    bool strings = false, symbols = false, ended = false;
    for (quint64 at = 0; !ended && at + sizeof(Dyn) <= dynamic->p_filesz; at += sizeof(Dyn)) {
        Dyn d{};
        read(dynamic->p_offset + at, &d);
        strings |= d.d_tag == DT_STRTAB;
        symbols |= d.d_tag == DT_SYMTAB;
        ended = d.d_tag == DT_NULL;
    }
    if (!ended || !strings || !symbols)
        return QStringLiteral("its dynamic section is damaged");
    return {};
}

// What keeps the file at `path` from being used as the sound module, or nothing. It is opened
// without waiting (a FIFO of that name would hold the window) and judged before the loader sees
// it: a module of another build may kill the program while it loads (one built with sanitizers
// does), so the build stamp is looked for in the file itself.
QString problemOf(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return qt_error_string(errno);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return QStringLiteral("it is not a regular file");
    if (st.st_size > kLargestModule)
        return QStringLiteral("it is far larger than the module");
    const QByteArray data = file.readAll();
    if (data.size() != st.st_size)
        return QStringLiteral("it cannot be read whole");
    if (const QString damage = elfDamage(data); !damage.isEmpty())
        return damage;
    if (!data.contains(QByteArrayView(KLANGOR_SOUND_MODULE_MARK KLANGOR_BUILD_STAMP,
                                      sizeof(KLANGOR_SOUND_MODULE_MARK KLANGOR_BUILD_STAMP))))
        return QStringLiteral("it is from another build");
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
        const QString file =
            QDir(folder).filePath(QStringLiteral("lib%1.so").arg(QLatin1String(kModule)));
#ifdef __ELF__
        if (const QString problem = problemOf(file); !problem.isEmpty()) {
            tried << file + QStringLiteral(": ") + problem;
            continue;
        }
#endif
        QLibrary module(file);
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
