// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/dbus_notifier.h"
#include "platform/linux/desktop_session.h"
#include "platform/linux/linux_monitor.h"
#include "platform/linux/logind_power.h"
#include "platform/linux/x11_window.h"
#include "platform/platform.h"
#include "platform/qt/lazy_sound_player.h"
#include "platform/qt/qt_basics.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell.h"

namespace klangor {

Platform makeSystemPlatform() {
    Platform p;
    p.clock = std::make_shared<SystemClock>();
    p.sleeper = std::make_shared<ThreadSleeper>();
    WindowManagerWays ways;
    ways.keepsMinimisedMapped = x11WindowIsMapped;
    ways.attentionIsANotification = DesktopSession::current().gnome;
    p.window = std::make_shared<QtWindowOps>(std::move(ways));
    p.sound = std::make_shared<LazySoundPlayer>(LazySoundPlayer::defaultFolders());
    p.shell = std::make_shared<QtShell>();
    p.power = std::make_shared<LogindPower>();
    p.monitor = LinuxMonitor::makeDefault();
    p.locale = std::make_shared<QtLocaleInfo>();
    p.settings = std::make_shared<QtSettingsStore>();
    p.files = std::make_shared<QtFileChooser>();
    p.notifier = std::make_shared<DBusNotifier>();
    return p;
}

}  // namespace klangor
