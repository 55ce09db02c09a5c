// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/interface_language.h"

#include "lang/qt_translations.h"
#include "platform/logging.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace klangor {

using lang::Language;
using lang::Slot;

namespace {

// The repeater's status labels keep their line prefixes in their tool-tips; those must never pop
// up, so this filter eats the labels' tool-tip events.
class HiddenHints final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

constexpr const char* kStatusLines[] = {"lblBegin", "lblEndx", "lblLastx", "lblstatus"};

// Labels that are laid out by their position only and take the size of their text. The others
// (the quick-delay headings, the two framed notes, the status values) keep their fixed size.
constexpr const char* kAutoSizeLabels[] = {"Label1",  "Label2",  "Label11", "Label17", "Label5",
                                           "Label6",  "Label7",  "Label13", "Label14", "Label18",
                                           "Label19", "Label15", "Label16"};

// Rebuilds a list with new entries; its selected position stays (no selection stays none).
void refill(QComboBox* list, const QStringList& entries, bool keepIndex) {
    const QSignalBlocker quiet(list);
    const int index = list->currentIndex();
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(keepIndex ? index : 0);
}

}  // namespace

InterfaceLanguage::InterfaceLanguage(const Platform& platform, const LanguageControls& controls,
                                     QObject* parent)
    : QObject(parent), platform_(platform), ui_(controls) {
    auto* hidden = new HiddenHints(this);
    for (const char* name : kStatusLines)
        if (auto* l = ui_.mainWindow->findChild<QLabel*>(QString::fromLatin1(name)))
            l->installEventFilter(hidden);
}

QWidget* InterfaceLanguage::findTarget(const QString& target) const {
    if (target == QLatin1String("Form4"))
        return ui_.prompt;
    if (target.startsWith(QLatin1String("Form4.")))
        return ui_.prompt->findChild<QWidget*>(target.mid(6));
    return ui_.mainWindow->findChild<QWidget*>(target);
}

void InterfaceLanguage::setCaption(QWidget* w, const QString& text) {
    if (const int page = ui_.pages->indexOf(w); page >= 0)
        ui_.pages->setTabText(page, text);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (w->isWindow())
        w->setWindowTitle(text);
    else
        qCWarning(lcLang) << "no caption to set on" << w->objectName();
}

bool InterfaceLanguage::IsTurkishLocale() const {
    const QString name = platform_.locale->languageName();
    return name.contains(QStringLiteral("Turkey")) || name.contains(QStringLiteral("Türkiye")) ||
           name.contains(QStringLiteral("Turkish"));
}

void InterfaceLanguage::chooseDefault() {
    if (_lang.isEmpty())
        _lang = IsTurkishLocale() ? QStringLiteral("TR") : QStringLiteral("EN");
}

void InterfaceLanguage::SetLanguage() {
    const Language language = lang::languageOf(_lang);

    for (const lang::TextRow& row : lang::textRows()) {
        const QString target = QString::fromLatin1(row.target);
        QWidget* w = findTarget(target);
        if (!w) {
            qCWarning(lcLang) << "no control named" << target;
            continue;
        }
        switch (row.slot) {
            case Slot::Caption:
                setCaption(w, row.text(language));
                break;
            case Slot::Hint:
            case Slot::Prefix:  // kept as the status line's tool-tip, which never shows
                w->setToolTip(row.text(language));
                break;
            case Slot::Name:
                w->setAccessibleName(row.text(language));
                if (w == ui_.pages)  // the tab row is what takes the focus
                    ui_.pages->tabBar()->setAccessibleName(row.text(language));
                break;
            case Slot::Description:
                w->setAccessibleDescription(row.text(language));
                break;
        }
    }

    for (const lang::ListRow& row : lang::listRows()) {
        auto* list = ui_.mainWindow->findChild<QComboBox*>(QString::fromLatin1(row.target));
        if (!list) {
            qCWarning(lcLang) << "no list named" << row.target;
            continue;
        }
        // The action list starts over at "no action": a chosen action and its path are dropped.
        const bool isActionList = list == ui_.actions;
        refill(list, row.entries(language), !isActionList);
        if (isActionList)
            list->setCurrentIndex(0);
    }

    for (const char* name : kAutoSizeLabels)
        if (auto* label = ui_.mainWindow->findChild<QLabel*>(QString::fromLatin1(name)))
            label->adjustSize();
    if (auto* page = ui_.mainWindow->findChild<QWidget*>(QStringLiteral("TabSheet2"));
        page && page->isVisible())
        fitRepeaterNote();  // otherwise when the page is shown
    lang::QtTranslations::apply(language);
    emit changed(language);
}

// The English note under the repeater's settings is longer than its Turkish original: its band
// is widened rather than the sentence cut off.
void InterfaceLanguage::fitRepeaterNote() {
    if (auto* note = ui_.mainWindow->findChild<QLabel*>(QStringLiteral("Label20")))
        note->resize(std::max(265, note->sizeHint().width()), note->height());
}

void InterfaceLanguage::lnlLangClick() {
    // While an alarm is armed its stop caption is on Button1; the language stays until it ends.
    if (!ui_.picker->isEnabled())
        return;
    ui_.button->setText(ui_.button->text() == QLatin1String("TR") ? QStringLiteral("ENG")
                                                                  : QStringLiteral("TR"));
    _lang = ui_.button->text();
    SetLanguage();
}

}  // namespace klangor
