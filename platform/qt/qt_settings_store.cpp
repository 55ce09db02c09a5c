// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_settings_store.h"

#include "platform/logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace klangor {

namespace {

// No real settings file comes near this; a larger one is not read at all.
constexpr qint64 kLargestSettingsFile = 1 << 20;
// How long a save waits for another copy of the program to finish its own.
constexpr int kLockWaitMs = 1000;

QString userSettingsFile() {
#ifdef Q_OS_WIN
    return {};
#else
    // Where QSettings keeps Vostrel/klangor2 for the user, named without opening it: a QSettings
    // object would read (and cache) the file before it is judged.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vostrel/klangor2.conf");
#endif
}

#ifdef Q_OS_WIN
std::unique_ptr<QSettings> openRegistry() {
    // Directly under the root of the current user, not under its Software branch.
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Vostrel\\klangor2"),
                                       QSettings::NativeFormat);
}
#endif

// Whether every line of the INI file at `path` is one that QSettings takes in: blank, a comment,
// a group header or a key with its value.
bool allLinesUnderstood(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = f.readAll();
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        const bool fine = line.isEmpty() || line.startsWith(';') || line.startsWith('#') ||
                          (line.startsWith('[') && line.endsWith(']')) || line.indexOf('=') > 0;
        if (!fine)
            return false;
    }
    return true;
}

// The settings in QSettings' INI form, or nothing when they could not be prepared. QSettings
// writes them to a file of its own in a fresh temporary folder, and they are read back and
// compared before they count: that write may fail as silently as any other.
QByteArray iniText(const QMap<QString, QVariant>& values) {
    const QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    // What must come back: every key QSettings took (it drops some, an empty name for one), and
    // the text and numbers among the values (the program's own among them) as they went; of
    // other types (a blob another program wrote) only that they are there.
    QStringList keys;
    QMap<QString, QString> texts;
    {
        QSettings staged(file, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            staged.setValue(it.key(), it.value());
        keys = staged.allKeys();
        for (const QString& key : keys) {
            const QVariant value = staged.value(key);
            if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::Int)
                texts.insert(key, value.toString());
        }
        staged.sync();
        if (staged.status() != QSettings::NoError)
            return {};
    }
    const QSettings check(file, QSettings::IniFormat);
    QStringList back = check.allKeys();
    keys.sort();
    back.sort();
    if (check.status() != QSettings::NoError || back != keys)
        return {};
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        if (check.value(it.key()).toString() != it.value())
            return {};
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

}  // namespace

QtSettingsStore::QtSettingsStore() : path_(userSettingsFile()) {}

QtSettingsStore::QtSettingsStore(QString path) : path_(std::move(path)) {}

QtSettingsStore::~QtSettingsStore() = default;

void QtSettingsStore::load() {
    if (loaded_)
        return;
    loaded_ = true;
    values_.clear();
#ifdef Q_OS_WIN
    if (path_.isEmpty()) {
        const auto registry = openRegistry();
        for (const QString& key : registry->childKeys())
            values_.insert(key, registry->value(key));
        return;
    }
#endif
    const QFileInfo file(path_);
    if (file.isSymLink()) {
        qCWarning(lcSettings) << "the settings file is a link, which is not followed:" << path_
                              << "- starting on defaults; a save replaces the link";
        return;
    }
    if (!file.exists())
        return;  // the first run
    if (!file.isFile() || !file.isReadable()) {
        keepFile_ = true;
        qCWarning(lcSettings) << "the settings file cannot be read:" << path_
                              << "- starting on defaults; it is kept and not saved over";
        return;
    }
    if (file.size() > kLargestSettingsFile) {
        setAside(QStringLiteral("it is larger than any settings file"));
        return;
    }
    QSettings settings(path_, QSettings::IniFormat);
    const QStringList keys = settings.childKeys();
    for (const QString& key : keys)
        values_.insert(key, settings.value(key));
    if (values_.isEmpty() && file.size() > 0) {
        setAside(QStringLiteral("it holds no settings"));
        return;
    }
    // QSettings finds fault with things that cost nothing (a byte order mark, a comment line),
    // and reads every value all the same: those values stand. Only a line it could not take in
    // means that something may be lost; the file is then copied aside as it is before the
    // next save rewrites it.
    if (settings.status() != QSettings::NoError && !allLinesUnderstood(path_))
        keepCopy(QStringLiteral("some of it cannot be read as settings"));
}

void QtSettingsStore::keepCopy(const QString& why) {
    const QString aside = path_ + QStringLiteral(".corrupt");
    QFile::remove(aside);
    if (QFile::copy(path_, aside)) {
        qCWarning(lcSettings) << "the settings file was copied to" << aside << "because" << why
                              << "- the values that could be read are used";
    } else {
        keepFile_ = true;
        qCWarning(lcSettings) << "the settings file" << path_
                              << "is used as far as it can be read, but" << why
                              << "and no copy could be kept; it is not saved over";
    }
}

bool QtSettingsStore::exists() {
    load();
    return !values_.isEmpty();
}

std::optional<QVariant> QtSettingsStore::read(const QString& name) {
    load();
    const auto it = values_.constFind(name);
    if (it == values_.cend())
        return std::nullopt;
    return *it;
}

void QtSettingsStore::setAside(const QString& why) {
    values_.clear();
    if (path_.isEmpty() || !QFileInfo(path_).isFile() || QFileInfo(path_).isSymLink())
        return;
    // Keep it for a look later, but never let a save carry it along.
    const QString aside = path_ + QStringLiteral(".corrupt");
    QFile::remove(aside);
    if (QFile::rename(path_, aside)) {
        qCWarning(lcSettings) << "the settings file was moved to" << aside << "because" << why;
    } else {
        keepFile_ = true;
        qCWarning(lcSettings) << "the settings file" << path_ << "is not used because" << why
                              << "and could not be moved aside; it is not saved over";
    }
}

bool QtSettingsStore::save(const std::vector<std::pair<QString, QVariant>>& values) {
    load();
#ifdef Q_OS_WIN
    if (path_.isEmpty()) {
        const auto registry = openRegistry();
        for (const auto& [name, value] : values)
            registry->setValue(name, value);
        registry->sync();
        if (registry->status() != QSettings::NoError) {
            qCWarning(lcSettings) << "the settings could not be written to the registry";
            return false;
        }
        return true;
    }
#endif
    return saveToFile(values);
}

bool QtSettingsStore::saveToFile(const std::vector<std::pair<QString, QVariant>>& values) {
    if (keepFile_) {
        qCWarning(lcSettings) << "the settings are not saved over" << path_;
        return false;
    }
    const QFileInfo file(path_);
    const QString folder = file.absolutePath();
    QDir().mkpath(folder);
    if (!QFileInfo(folder).isWritable()) {
        qCWarning(lcSettings) << "the settings folder cannot be written:" << folder;
        return false;
    }
    if (file.isSymLink() && !QFile::remove(path_)) {
        qCWarning(lcSettings) << "the link in place of the settings file cannot be replaced:"
                              << path_;
        return false;
    }
    // Held to the end of the save, so that another copy of the program does not write in
    // between. A lock left behind by a copy that was killed is taken over (QLockFile checks its
    // owner).
    QLockFile lock(path_ + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            qCWarning(lcSettings) << "the settings are locked by another copy, not saved";
        else
            qCWarning(lcSettings) << "the settings' lock file cannot be made, not saved:"
                                  << lock.error();
        return false;
    }
    // Only the program's own values change; other keys and groups are carried over as they
    // were read.
    QMap<QString, QVariant> merged;
    if (QFileInfo(path_).isFile()) {
        const QSettings old(path_, QSettings::IniFormat);
        for (const QString& key : old.allKeys())
            merged.insert(key, old.value(key));
    }
    for (const auto& [name, value] : values) {
        merged.insert(name, value);
        values_.insert(name, value);
    }
    const QByteArray text = iniText(merged);
    if (text.isEmpty()) {
        qCWarning(lcSettings) << "the settings could not be written:" << path_
                              << "- no room to prepare them; the old file is kept";
        return false;
    }
    // QSettings does not notice every failed write (a full disk left an empty file behind), so
    // the file is written here, every step checked: a new file, renamed over the old one only
    // when all of it is on disk.
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush() ||
        !out.commit()) {
        qCWarning(lcSettings) << "the settings could not be written:" << path_ << "-"
                              << out.errorString() << "; the old file is kept";
        out.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace klangor
