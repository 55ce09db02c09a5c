#pragma once

#include "platform/settings_store.h"

#include <QString>

#include <memory>

class QSettings;

namespace klangor {

/// The settings kept by QSettings: on Linux the file Vostrel/klangor2.conf in the user's
/// configuration folder, on Windows the registry key HKEY_CURRENT_USER\Vostrel\klangor2.
/// A settings file that cannot be read, or is malformed, is moved aside to "<file>.corrupt"
/// (replacing an older one) before anything is saved; the program then starts on its defaults.
class QtSettingsStore final : public SettingsStore {
public:
    /// The user's own settings.
    QtSettingsStore();
    /// An INI file at `path` (for tests).
    explicit QtSettingsStore(QString path);

    bool exists() override;
    std::optional<QVariant> read(const QString& name) override;
    bool save(const std::vector<std::pair<QString, QVariant>>& values) override;

private:
    // Every access opens the settings anew and closes them on the way out.
    std::unique_ptr<QSettings> open() const;
    // Moves a damaged settings file aside. Returns whether the settings are usable now.
    bool setAsideIfDamaged();

    QString path_;  // empty: the user's own settings
};

}  // namespace klangor
