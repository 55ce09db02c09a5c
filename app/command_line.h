// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lang/text_table.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace klangor {

class LocaleInfo;
class SettingsStore;

/// Work the program starts with, as the command line asks for it. Each part is set in the window
/// the way a user would set it (app/start_request.h).
struct StartRequest {
    std::optional<QTime> at;       // --at: the alarm at the next occurrence of this time of day
    std::optional<int> inMinutes;  // --in: the alarm after this many minutes (the delay panel)
    std::optional<QString> note;   // --note
    std::optional<int> action;     // --action: entry of the action list (AfterAlarm::Entry)
    QString actionFile;            // --action FILE: the file's absolute path ("Execute Command")
    bool repeater = false;         // --repeater: start the repeater with the saved periods
    // When the command line was read: --at and --in count from then, however long the window
    // then took to come up.
    QDateTime readAt;
};

/// What the command line asks for: start (with a request, maybe empty), print the help or the
/// version, or a mistake to report.
struct CommandLine {
    enum class Kind { Start, Help, Version, Error };
    Kind kind = Kind::Start;
    StartRequest request;  // Start
    QString text;          // Help: the help text; Version: the version line; Error: one line
};

/// Reads the program's arguments (its own name first), with the help and the messages in
/// `language`. Looks at nothing but the arguments, except that a FILE given to --action must
/// exist. Qt's own options (-platform, -style, ...) are let through for the application object.
CommandLine parseCommandLine(const QStringList& arguments, lang::Language language);

/// A delay: "25m", "1h30m", "2d", "1d12h", or a plain number of minutes ("90"). Nothing when it is
/// not one.
std::optional<qint64> parseDelayMinutes(const QString& text);

/// The language of the command line's texts, chosen as the window chooses it: the saved one, or
/// else Turkish on a Turkish locale and English elsewhere.
lang::Language startLanguage(SettingsStore& settings, const LocaleInfo& locale);

}  // namespace klangor
