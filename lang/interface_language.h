// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lang/text_table.h"
#include "platform/platform.h"

#include <QObject>
#include <QString>

class QComboBox;
class QLabel;
class QTabWidget;
class QWidget;

namespace klangor {

/// The windows and controls the language writes its texts into.
struct LanguageControls {
    QWidget* mainWindow;  // every target of the text table is found in it by object name...
    QWidget* prompt;      // ...but "Form4" and "Form4.X", the screen-off prompt and its controls
    QTabWidget* pages;    // PageControl1: its page captions are tab texts
    QLabel* button;       // lnlLang: shows "TR" or "ENG"
    QWidget* picker;      // wwDBDateTimePicker1: disabled while an alarm is armed
    QComboBox* actions;   // CheckBox3: starts over at "no action" when rebuilt
};

/// The interface language: `_lang`, the language button, and the text table applied to both
/// windows.
class InterfaceLanguage final : public QObject {
    Q_OBJECT
public:
    InterfaceLanguage(const Platform& platform, const LanguageControls& controls,
                      QObject* parent = nullptr);

    /// Whether the user's locale is Turkish.
    bool IsTurkishLocale() const;
    /// Applies the column that `_lang` selects to both windows.
    void SetLanguage();
    /// The language button: switches between Turkish and English, unless an alarm is armed.
    void lnlLangClick();

    /// The code read from the settings ("TR", "ENG", ...; empty when none was saved).
    void setCode(const QString& code) { _lang = code; }
    const QString& code() const { return _lang; }
    /// An empty code becomes "TR" on a Turkish locale and "EN" elsewhere.
    void chooseDefault();

    /// The repeater note's band is widened to its text; done when its page is first shown.
    void fitRepeaterNote();

signals:
    /// After every SetLanguage.
    void changed(klangor::lang::Language language);

private:
    QWidget* findTarget(const QString& target) const;
    void setCaption(QWidget* w, const QString& text);

    Platform platform_;
    LanguageControls ui_;
    QString _lang;  // "TR" for Turkish, anything else English
};

}  // namespace klangor
