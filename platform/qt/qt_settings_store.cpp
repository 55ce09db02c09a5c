// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_settings_store.h"

#include "platform/logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

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
    if (settings.status() != QSettings::NoError) {
        setAside(QStringLiteral("it cannot be read as settings"));
        return;
    }
    for (const QString& key : keys)
        values_.insert(key, settings.value(key));
    if (values_.isEmpty() && file.size() > 0)
        setAside(QStringLiteral("it holds no settings"));
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
    {
        // QSettings waits for its lock without limit; make sure it will get it at once. A lock
        // left behind by a copy that was killed is taken over (QLockFile checks its owner).
        QLockFile lock(path_ + QStringLiteral(".lock"));
        if (!lock.tryLock(kLockWaitMs)) {
            qCWarning(lcSettings) << "the settings are locked, not saved:" << lock.error();
            return false;
        }
    }
    // Only the program's own values change; QSettings writes a new file and renames it over the
    // old one, so an interrupted save leaves either the old settings or the new.
    QSettings settings(path_, QSettings::IniFormat);
    for (const auto& [name, value] : values) {
        settings.setValue(name, value);
        values_.insert(name, value);
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcSettings) << "the settings could not be written:" << path_;
        return false;
    }
    return true;
}

}  // namespace klangor
