// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_window.h"

namespace klangor {

void Win32Window::bringForward(HWND window) const {
    if (!window)
        return;
    // The flashing starts before the window is restored: wine passes the request for attention
    // on to the window manager only for a minimised window. Windows flashes either way.
    const bool minimised = calls_.isIconic(window);
    refuseActivation(window);
    FLASHWINFO flash{};
    flash.cbSize = sizeof(flash);
    flash.hwnd = window;
    flash.dwFlags = kFlashFlags;
    flash.uCount = 0;
    flash.dwTimeout = 0;
    calls_.flashWindowEx(&flash);
    if (minimised)
        calls_.showWindow(window, SW_SHOWNOACTIVATE);
    calls_.setWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kTopFlags);
}

void Win32Window::refuseActivation(HWND window) const {
    if (!window)
        return;
    const LONG_PTR extended = calls_.getWindowLongPtr(window, GWL_EXSTYLE);
    calls_.setWindowLongPtr(window, GWL_EXSTYLE, extended | WS_EX_NOACTIVATE);
}

void Win32Window::acceptActivation(HWND window) const {
    if (!window)
        return;
    const LONG_PTR extended = calls_.getWindowLongPtr(window, GWL_EXSTYLE);
    if (extended & WS_EX_NOACTIVATE)
        calls_.setWindowLongPtr(window, GWL_EXSTYLE, extended & ~LONG_PTR{WS_EX_NOACTIVATE});
}

}  // namespace klangor
