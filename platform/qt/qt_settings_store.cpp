#include "platform/qt/qt_settings_store.h"
#include "platform/logging.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace klangor {

QtSettingsStore::QtSettingsStore() = default;

QtSettingsStore::QtSettingsStore(QString path) : path_(std::move(path)) {}

std::unique_ptr<QSettings> QtSettingsStore::open() const {
    if (!path_.isEmpty())
        return std::make_unique<QSettings>(path_, QSettings::IniFormat);
#ifdef Q_OS_WIN
    // Directly under the root of the current user, not under its Software branch.
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Vostrel\\klangor2"),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Vostrel"), QStringLiteral("klangor2"));
#endif
}

bool QtSettingsStore::setAsideIfDamaged() {
    const auto settings = open();
    if (settings->status() == QSettings::NoError)
        return true;
    const QString file = settings->fileName();
    if (!QFileInfo(file).isFile()) {
        qCWarning(lcSettings) << "the settings cannot be opened:" << file;
        return false;
    }
    // Keep the damaged file for a look later, but never let a save carry its garbage along.
    const QString aside = file + QStringLiteral(".corrupt");
    QFile::remove(aside);
    if (!QFile::rename(file, aside)) {
        qCWarning(lcSettings) << "a damaged settings file could not be moved aside:" << file;
        return false;
    }
    qCWarning(lcSettings) << "a damaged settings file was moved to" << aside;
    return open()->status() == QSettings::NoError;
}

bool QtSettingsStore::exists() {
    if (!setAsideIfDamaged())
        return false;
    return !open()->allKeys().isEmpty();
}

std::optional<QVariant> QtSettingsStore::read(const QString& name) {
    const auto settings = open();
    if (settings->status() != QSettings::NoError || !settings->contains(name))
        return std::nullopt;
    return settings->value(name);
}

bool QtSettingsStore::save(const std::vector<std::pair<QString, QVariant>>& values) {
    if (!setAsideIfDamaged())
        return false;
    const auto settings = open();
    if (!settings->isWritable()) {
        qCWarning(lcSettings) << "the settings are not writable:" << settings->fileName();
        return false;
    }
    // Exactly these values and nothing else; QSettings writes a new file and renames it over the
    // old one, so an interrupted save leaves either the old settings or the new.
    settings->clear();
    for (const auto& [name, value] : values)
        settings->setValue(name, value);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        qCWarning(lcSettings) << "the settings could not be written:" << settings->fileName();
        return false;
    }
    return true;
}

}  // namespace klangor
