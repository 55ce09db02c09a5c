// SPDX-License-Identifier: GPL-3.0-or-later
// The real operations of a Windows build: Qt where Qt serves every system, the Win32 calls of
// this folder for power, shell, monitor, sound, the locale's language, bringing the window back
// and the notifications.

#include "platform/logging.h"
#include "platform/platform.h"
#include "platform/qt/qt_basics.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/win32/system_parts.h"
#include "platform/win32/win32_monitor.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_shell.h"

#include <QApplication>
#include <QWidget>

namespace klangor {

namespace {

/// Shell requests are owned by the main window; failures go to the log; results come back
/// through the event loop.
QWidget* mainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Form1"))
            return w;
    return nullptr;
}

Win32Hooks qtHooks(const QLoggingCategory& (*category)()) {
    Win32Hooks hooks;
    hooks.owner = []() -> HWND {
        QWidget* w = mainWindow();
        return w ? reinterpret_cast<HWND>(w->winId()) : nullptr;
    };
    hooks.log = [category](const std::string& message) {
        qCWarning(category).noquote() << QString::fromStdString(message);
    };
    hooks.post = [](std::function<void()> f) {
        QMetaObject::invokeMethod(qApp, std::move(f), Qt::QueuedConnection);
    };
    return hooks;
}

// A click on a balloon: the user turns to the program, which comes to the front as any window
// does when the user asks for it.
void showMainWindow() {
    QWidget* w = mainWindow();
    if (!w)
        return;
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace

Platform makeSystemPlatform() {
    Platform p;
    p.clock = std::make_shared<SystemClock>();
    p.sleeper = std::make_shared<ThreadSleeper>();
    p.window = std::make_shared<Win32WindowOps>();
    p.sound = std::make_shared<Win32SoundPlayer>(Win32Sound(qtHooks(lcSound)));
    p.shell = std::make_shared<Win32Shell>(qtHooks(lcShell));
    p.power = std::make_shared<Win32Power>(qtHooks(lcPower));
    p.monitor = std::make_shared<Win32Monitor>(qtHooks(lcMonitor));
    p.locale = std::make_shared<Win32LocaleInfo>();
    p.settings = std::make_shared<QtSettingsStore>();
    p.files = std::make_shared<QtFileChooser>();
    p.notifier = std::make_shared<Win32Notifier>(qtHooks(lcNotify), &showMainWindow);
    return p;
}

}  // namespace klangor
