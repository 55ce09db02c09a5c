// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win32/win32_calls.h"

#include <string>

namespace klangor {

/// The program's icon in the notification area, there while the program has something to say:
/// each message is a balloon from it. The shell reports clicks to the owner window (the main
/// window, from the hooks) as kMessage; the icon goes when this object does.
class Win32Tray {
public:
    /// The message the shell sends the owner window about the icon and its balloon.
    static constexpr UINT kMessage = WM_APP + 0x21;
    static constexpr UINT kIconId = 1;

    /// `icon` is the program's icon in the small size; it stays the caller's.
    Win32Tray(Win32Hooks hooks, Win32Calls calls, HICON icon)
        : hooks_(std::move(hooks)), calls_(calls), icon_(icon) {}
    ~Win32Tray() { remove(); }
    Win32Tray(const Win32Tray&) = delete;
    Win32Tray& operator=(const Win32Tray&) = delete;

    /// Shows a balloon with `title` and `text` (shortened with an ellipsis to what the shell
    /// takes), adding the icon first if needed. False, and logged, when there is no owner
    /// window yet or the shell refuses.
    bool showBalloon(const std::wstring& title, const std::wstring& text);
    /// Takes away the balloon still shown, if any; the icon stays.
    void hideBalloon();
    /// Removes the icon, and its balloon with it, from the notification area.
    void remove();

    /// Whether `message` with `lParam`, received by the owner window, is the user's click on
    /// the balloon or on the icon.
    static bool isClick(UINT message, LPARAM lParam);

private:
    NOTIFYICONDATAW data(HWND owner, UINT flags) const;
    bool add(HWND owner);
    void log(const std::string& message) const;

    Win32Hooks hooks_;
    Win32Calls calls_;
    HICON icon_;
    HWND owner_ = nullptr;  // the window the icon was added with; none while not added
};

}  // namespace klangor
