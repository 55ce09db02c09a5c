// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_binding.h"

#include "lang/format.h"
#include "platform/logging.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

namespace klangor {

using settings::Kind;
using settings::Setting;

std::optional<LoadedSettings> readSettings(SettingsStore& store) {
    if (!store.exists())
        return std::nullopt;  // the first run: the form keeps its own values
    LoadedSettings loaded;
    bool anyStored = false;
    for (const Setting* s : settings::loadOrder()) {
        const QString key = QString::fromLatin1(s->key);
        const std::optional<QVariant> stored = store.read(key);
        anyStored = anyStored || stored.has_value();
        if (s->kind == Kind::Language) {
            // An absent language reads as empty, so the locale decides.
            loaded.language = stored ? settings::storedText(*stored) : QString();
            continue;
        }
        // A missing value, or one that is not a whole number, leaves the control as it is.
        const std::optional<qint64> n = stored ? settings::storedNumber(*stored) : std::nullopt;
        if (!n) {
            if (stored)
                qCWarning(lcSettings) << "ignoring" << key << "that is not a number:" << *stored;
            continue;
        }
        loaded.values.push_back({s, *n});
    }
    if (!anyStored) {
        store.setAside(QStringLiteral("they hold none of the program's settings"));
        return std::nullopt;
    }
    return loaded;
}

void applySettings(const LoadedSettings& loaded, QWidget* root) {
    for (const auto& [s, n] : loaded.values) {
        const QString control = QString::fromLatin1(s->control);
        switch (s->kind) {
            case Kind::Period:
                if (auto* box = root->findChild<QSpinBox*>(control)) {
                    const qint64 minutes = n <= 0 ? 1 : n;
                    box->setValue(static_cast<int>(
                        std::clamp<qint64>(minutes, std::max(s->minimum, box->minimum()),
                                           std::min(s->maximum, box->maximum()))));
                }
                break;
            case Kind::ListIndex:
                if (auto* list = root->findChild<QComboBox*>(control)) {
                    const bool inRange = n >= s->minimum && n <= s->maximum && n < list->count();
                    // A list with no selection would leave a ticked "Sound Alert" silent, and
                    // be saved that way: a position outside the list picks its first entry.
                    if (!inRange)
                        qCWarning(lcSettings) << "ignoring" << s->key << "=" << n
                                              << "outside the list: taking its first entry";
                    list->setCurrentIndex(inRange ? static_cast<int>(n) : 0);
                }
                break;
            case Kind::Flag:
                if (auto* box = root->findChild<QCheckBox*>(control))
                    box->setChecked(n != 0);
                break;
            case Kind::Language:
                break;
        }
    }
}

std::vector<std::pair<QString, QVariant>> currentSettings(QWidget* root) {
    std::vector<std::pair<QString, QVariant>> values;
    for (const Setting& s : settings::settingsTable()) {
        const QString control = QString::fromLatin1(s.control);
        QVariant value;
        switch (s.kind) {
            case Kind::Language:
                if (auto* button = root->findChild<QLabel*>(control))
                    value = button->text();
                break;
            case Kind::Period:
                if (auto* box = root->findChild<QSpinBox*>(control))
                    value = SpinValue(box);
                break;
            case Kind::ListIndex:
                if (auto* list = root->findChild<QComboBox*>(control))
                    value = list->currentIndex();
                break;
            case Kind::Flag:
                if (auto* box = root->findChild<QCheckBox*>(control))
                    value = box->isChecked() ? 1 : 0;
                break;
        }
        values.emplace_back(QString::fromLatin1(s.key), value);
    }
    return values;
}

SettingsBinding::SettingsBinding(std::shared_ptr<SettingsStore> store, QWidget* root)
    : store_(std::move(store)), root_(root) {}

std::optional<QString> SettingsBinding::load() {
    const std::optional<LoadedSettings> loaded = readSettings(*store_);
    if (!loaded)
        return std::nullopt;
    applySettings(*loaded, root_);
    return loaded->language;
}

void SettingsBinding::save() {
    if (!store_->save(currentSettings(root_)))
        qCWarning(lcSettings) << "the settings could not be saved";
}

}  // namespace klangor
