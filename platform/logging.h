// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's logging categories, each declared once. Enable them with QT_LOGGING_RULES, e.g.
// QT_LOGGING_RULES="klangor.*.debug=true".

#include <QLoggingCategory>

namespace klangor {

Q_DECLARE_LOGGING_CATEGORY(lcAlarm)    // klangor.alarm: arming, ringing, late alarms
Q_DECLARE_LOGGING_CATEGORY(lcLang)     // klangor.lang: the text table and its targets
Q_DECLARE_LOGGING_CATEGORY(lcMonitor)  // klangor.monitor: switching the monitor off
Q_DECLARE_LOGGING_CATEGORY(lcNotify)   // klangor.notify: desktop notifications
Q_DECLARE_LOGGING_CATEGORY(lcPower)  // klangor.power: lock, suspend, hibernate, restart, power off
Q_DECLARE_LOGGING_CATEGORY(lcSettings)  // klangor.settings: the settings store
Q_DECLARE_LOGGING_CATEGORY(lcShell)     // klangor.shell: opening programs, documents, addresses
Q_DECLARE_LOGGING_CATEGORY(lcSound)     // klangor.sound: the sound module and playback
Q_DECLARE_LOGGING_CATEGORY(lcWindow)    // klangor.window: window operations

}  // namespace klangor
