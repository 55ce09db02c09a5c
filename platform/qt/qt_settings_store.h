// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/settings_store.h"

#include <QMap>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

namespace klangor {

/// The settings kept by QSettings: on Linux the file Vostrel/klangor2.conf in the user's
/// configuration folder (and no other file: no organisation-wide or system-wide fallbacks), on
/// Windows the registry key HKEY_CURRENT_USER\Vostrel\klangor2.
///
/// The file is read once per run and judged first:
/// - larger than any settings file (1 MiB), or holding none of the program's values: moved
///   aside to "<file>.corrupt" (replacing an older one); the program starts on defaults;
/// - with lines that cannot be read as settings: the values that can be read are used, and a
///   copy is kept as "<file>.corrupt" before a save rewrites it (marks and comments that QSettings
///   merely frowns on are no reason);
/// - unreadable, or not a file: kept as it is, the program starts on defaults and never saves
///   over it;
/// - a symbolic link: not followed; the program starts on defaults and a save replaces the link
///   with a file of its own, leaving the link's target alone.
/// A save writes the program's values and leaves other keys and groups as they are. It gives up
/// rather than wait when the folder cannot be written or the lock is held.
class QtSettingsStore final : public SettingsStore {
public:
    /// The user's own settings.
    QtSettingsStore();
    /// An INI file at `path` (for tests).
    explicit QtSettingsStore(QString path);
    ~QtSettingsStore() override;

    bool exists() override;
    std::optional<QVariant> read(const QString& name) override;
    bool save(const std::vector<std::pair<QString, QVariant>>& values) override;
    void setAside(const QString& why) override;

private:
    void load();
    bool saveToFile(const std::vector<std::pair<QString, QVariant>>& values);
    // Copies the file aside (to "<file>.corrupt") and logs `why`, leaving it in place.
    void keepCopy(const QString& why);

    QString path_;  // the settings file; empty: the Windows registry
    bool loaded_ = false;
    bool keepFile_ = false;  // the file must not be saved over (unreadable, not a file)
    QMap<QString, QVariant> values_;
};

}  // namespace klangor
