// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The interface texts of both windows in both languages, as data. SetLanguage applies one column;
// the tests read the same table to check what the windows show.

#include <QString>
#include <QStringList>

#include <span>

namespace klangor::lang {

enum class Language { English, Turkish };

/// The language that a language code selects: "TR" is Turkish, every other code English.
Language languageOf(const QString& code);

/// What part of a target a row sets.
enum class Slot {
    Caption,  // the text of a label, button or check box; the title of a window or tab page
    Hint,     // the tool-tip
    Prefix,   // the leading text of a repeater status line, kept as the label's (hidden) tool-tip
    Name,     // the accessible name, what a screen reader calls a control without a caption
    Description,  // the accessible description, what a glyph button does
};

/// One row of the text table. `target` is an object name; "Form4" is the prompt window itself
/// and "Form4.X" a control of it, every other name a control of the main window.
struct TextRow {
    const char* target;
    Slot slot;
    const char* english;  // UTF-8
    const char* turkish;  // UTF-8

    QString text(Language language) const {
        return QString::fromUtf8(language == Language::Turkish ? turkish : english);
    }
};

/// The entries of a drop-down list in both languages.
struct ListRow {
    const char* target;
    std::span<const char* const> english;
    std::span<const char* const> turkish;

    QStringList entries(Language language) const;
};

/// Every caption, hint and accessible text, in the order SetLanguage applies them.
std::span<const TextRow> textRows();

/// The lists that SetLanguage rebuilds: the three sound lists, then the after-alarm action list.
std::span<const ListRow> listRows();

/// The captions of the alarm's Start button: the start caption comes from the text table, the
/// stop caption is shown while an alarm is armed.
QString startCaption(Language language);
QString stopCaption(Language language);
/// Whether `caption` is the start caption of either language (the alarm is then not armed).
bool isStartCaption(const QString& caption);

/// The notice that an alarm noticed late (the computer slept, the clock jumped) did not start the
/// after-alarm action `action` (the entry's text in the action list).
QString lateAlarmSkippedAction(Language language, const QString& action);
/// The notice that the countdown to the after-alarm action `action` ended late (the computer
/// slept, the program was stopped, the clock jumped), so the action was cancelled.
QString lateGraceCancelledAction(Language language, const QString& action);
/// What the desktop notifications say of an after-alarm action, by its position in the action
/// list (1 lock ... 6 execute command). `seconds` is the grace period; `file` the path to open.
QString actionComingNotice(Language language, int entry, int seconds, const QString& file);
/// That the action failed; `why` (the system's words) follows after a colon where given.
QString actionFailedNotice(Language language, int entry, const QString& why);
/// That the screen-off prompt's button could not switch the monitor off.
QString screenOffFailedNotice(Language language);
/// The label of the notification's button that cancels a pending action.
QString cancelActionLabel(Language language);

/// Texts that no language changes (both windows), for checks that nothing else is left over.
QStringList unchangedTexts();

}  // namespace klangor::lang
