// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win32/win32_calls.h"

namespace klangor {

/// Brings a window back to the user's sight while the keyboard stays with the program the user
/// is working in. Windows activates a window that is restored or raised the usual way
/// (SW_SHOWNORMAL, SW_RESTORE, SetWindowPos without SWP_NOACTIVATE), and with it the keys
/// typed next would land in this program.
class Win32Window {
public:
    explicit Win32Window(Win32Calls calls = systemWin32Calls()) : calls_(calls) {}

    /// Restores `window` if it is minimised, puts it above every other window, and flashes its
    /// taskbar button until the user turns to it; never activates it. The window refuses to be
    /// activated until acceptActivation(): a window manager under wine may activate a window it
    /// restores whatever the program asked for.
    void bringForward(HWND window) const;
    /// Makes the window refuse to be activated, by the program or the window manager, until
    /// acceptActivation().
    void refuseActivation(HWND window) const;
    /// Lets the window be activated again (by a click or the taskbar), once it is back.
    void acceptActivation(HWND window) const;

    /// The flags of the move to the top: neither moved nor resized nor activated, and shown.
    static constexpr UINT kTopFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;
    /// How the taskbar button flashes: until the window comes to the foreground.
    static constexpr DWORD kFlashFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;

private:
    Win32Calls calls_;
};

}  // namespace klangor
