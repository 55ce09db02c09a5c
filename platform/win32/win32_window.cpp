// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_window.h"

namespace klangor {

void Win32Window::bringForward(HWND window) const {
    if (!window)
        return;
    if (calls_.isIconic(window))
        calls_.showWindow(window, SW_SHOWNOACTIVATE);
    calls_.setWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kTopFlags);
    FLASHWINFO flash{};
    flash.cbSize = sizeof(flash);
    flash.hwnd = window;
    flash.dwFlags = kFlashFlags;
    flash.uCount = 0;
    flash.dwTimeout = 0;
    calls_.flashWindowEx(&flash);
}

}  // namespace klangor
