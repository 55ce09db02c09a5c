// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's sound player, locale lookup, window operations and notifications on Windows,
// over the plain Win32 calls of the win32_*.h files.

#include "platform/locale_info.h"
#include "platform/notifier.h"
#include "platform/qt/qt_basics.h"
#include "platform/sound_player.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_tray.h"
#include "platform/win32/win32_window.h"

#include <QAbstractNativeEventFilter>

namespace klangor {

/// Plays the recordings carried in the program file with the system's sound player; nothing to
/// load beforehand.
class Win32SoundPlayer final : public SoundPlayer {
public:
    explicit Win32SoundPlayer(Win32Sound sound = Win32Sound()) : sound_(std::move(sound)) {}

    void play(const QString& name) override;

private:
    Win32Sound sound_;
};

/// The English name of the user's default locale language, from the system.
class Win32LocaleInfo final : public LocaleInfo {
public:
    explicit Win32LocaleInfo(Win32Calls calls = systemWin32Calls()) : calls_(calls) {}

    QString languageName() const override;

private:
    Win32Calls calls_;
};

/// Qt's window operations, except that the window comes back without taking the keyboard:
/// Qt restores and raises a window on Windows by activating it.
class Win32WindowOps final : public WindowOps {
public:
    explicit Win32WindowOps(Win32Window window = Win32Window()) : window_(window) {}

    void minimize(QWidget* window) override { qt_.minimize(window); }
    bool isMinimized(const QWidget* window) const override { return qt_.isMinimized(window); }
    void restoreAndRaise(QWidget* window) override;
    void showWithoutFocus(QWidget* window) override;
    void placeCentred(QWidget* window) override { qt_.placeCentred(window); }

private:
    // How long a window brought forward or shown refuses to be activated.
    static constexpr int kRefuseActivationMs = 3000;
    void acceptActivationLater(QWidget* window, HWND handle);

    QtWindowOps qt_;
    Win32Window window_;
};

/// Notifications as balloons from the program's icon in the notification area. A balloon has
/// no buttons: a click on it (or on the icon) brings the main window, where Stop is.
class Win32Notifier final : public Notifier, public QAbstractNativeEventFilter {
public:
    /// `onClick` runs when the user clicks a balloon or the icon.
    Win32Notifier(Win32Hooks hooks, std::function<void()> onClick);
    ~Win32Notifier() override;

    void notify(const QString& title, const QString& body) override;
    int notifyWithAction(const QString& title, const QString& body, const QString& actionLabel,
                         std::function<void()> onAction, const NoticeTerms& terms) override;
    void withdraw(int id) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    HICON icon_;
    Win32Tray tray_;
    std::function<void()> onClick_;
    QMetaObject::Connection quitting_;
    int lastId_ = 0;
    int shownId_ = 0;  // the number of the balloon shown last
};

}  // namespace klangor
