// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/settings_store.h"
#include "settings/settings_table.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace klangor {

/// The settings as read from the store: each value checked, none yet applied.
struct LoadedSettings {
    struct Value {
        const settings::Setting* setting;
        qint64 number;
    };
    QString language;           // empty when none was saved: the locale decides
    std::vector<Value> values;  // in the load order; values missing or not numbers left out
};

/// Reads the saved settings; nothing on the first run (no settings saved yet).
std::optional<LoadedSettings> readSettings(SettingsStore& store);

/// Sets the controls under `root` (found by the table's object names) from `loaded`: periods of 0
/// or less become 1, every value is clamped into its control's range, an out-of-range list index
/// leaves the list with no selection.
void applySettings(const LoadedSettings& loaded, QWidget* root);

/// The values of the controls under `root` in the save order, as the store keeps them.
std::vector<std::pair<QString, QVariant>> currentSettings(QWidget* root);

/// The eight values kept between runs, bound to the controls of the main window.
class SettingsBinding final {
public:
    SettingsBinding(std::shared_ptr<SettingsStore> store, QWidget* root);

    /// Fills the controls from the store; the saved language code, or nothing on the first run.
    std::optional<QString> load();
    /// Writes the controls into the store. A store that cannot be written is logged.
    void save();

private:
    std::shared_ptr<SettingsStore> store_;
    QWidget* root_;
};

}  // namespace klangor
