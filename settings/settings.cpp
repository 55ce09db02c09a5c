#include "app/form1.h"
#include "settings/settings_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLoggingCategory>
#include <QSpinBox>

#include <algorithm>

Q_LOGGING_CATEGORY(lcSettings, "klangor.settings")

using klangor::settings::Kind;
using klangor::settings::Setting;

void TForm1::LoadSettings() {
    klangor::SettingsStore* store = platform_.settings.get();
    if (!store || !store->exists())
        return;  // the first run: the form keeps its own values and the locale picks the language

    for (const Setting* s : klangor::settings::loadOrder()) {
        const QString key = QString::fromLatin1(s->key);
        const QString control = QString::fromLatin1(s->control);
        const std::optional<QVariant> stored = store->read(key);

        if (s->kind == Kind::Language) {
            // An absent language reads as empty, so the locale decides.
            _lang = stored ? klangor::settings::storedText(*stored) : QString();
            continue;
        }
        // A missing value, or one that is not a whole number, leaves the control as it is.
        const std::optional<qint64> n =
            stored ? klangor::settings::storedNumber(*stored) : std::nullopt;
        if (!n) {
            if (stored)
                qCWarning(lcSettings) << "ignoring" << key << "that is not a number:" << *stored;
            continue;
        }
        switch (s->kind) {
            case Kind::Period:
                if (auto* box = findChild<QSpinBox*>(control)) {
                    const qint64 minutes = *n <= 0 ? 1 : *n;
                    box->setValue(static_cast<int>(
                        std::clamp<qint64>(minutes, std::max(s->minimum, box->minimum()),
                                           std::min(s->maximum, box->maximum()))));
                }
                break;
            case Kind::ListIndex:
                if (auto* list = findChild<QComboBox*>(control)) {
                    const bool inRange = *n >= s->minimum && *n <= s->maximum && *n < list->count();
                    list->setCurrentIndex(inRange ? static_cast<int>(*n) : -1);
                }
                break;
            case Kind::Flag:
                if (auto* box = findChild<QCheckBox*>(control))
                    box->setChecked(*n != 0);
                break;
            case Kind::Language:
                break;
        }
    }
}

void TForm1::SaveSettings() {
    klangor::SettingsStore* store = platform_.settings.get();
    if (!store)
        return;
    std::vector<std::pair<QString, QVariant>> values;
    for (const Setting& s : klangor::settings::settingsTable()) {
        const QString control = QString::fromLatin1(s.control);
        QVariant value;
        switch (s.kind) {
            case Kind::Language:
                value = lnlLang->text();
                break;
            case Kind::Period:
                if (auto* box = findChild<QSpinBox*>(control))
                    value = SpinValue(box);
                break;
            case Kind::ListIndex:
                if (auto* list = findChild<QComboBox*>(control))
                    value = list->currentIndex();
                break;
            case Kind::Flag:
                if (auto* box = findChild<QCheckBox*>(control))
                    value = box->isChecked() ? 1 : 0;
                break;
        }
        values.emplace_back(QString::fromLatin1(s.key), value);
    }
    if (!store->save(values))
        qCWarning(lcSettings) << "the settings could not be saved";
}
