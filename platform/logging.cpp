// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/logging.h"

namespace klangor {

Q_LOGGING_CATEGORY(lcAlarm, "klangor.alarm")
Q_LOGGING_CATEGORY(lcLang, "klangor.lang")
Q_LOGGING_CATEGORY(lcMonitor, "klangor.monitor")
Q_LOGGING_CATEGORY(lcNotify, "klangor.notify")
Q_LOGGING_CATEGORY(lcPower, "klangor.power")
Q_LOGGING_CATEGORY(lcSettings, "klangor.settings")
Q_LOGGING_CATEGORY(lcShell, "klangor.shell")
Q_LOGGING_CATEGORY(lcSound, "klangor.sound")
Q_LOGGING_CATEGORY(lcWindow, "klangor.window")

}  // namespace klangor
