// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_monitor.h"

namespace klangor {

namespace {

constexpr LPARAM kMonitorOff = 2;
static_assert(WM_SYSCOMMAND == 0x0112 && SC_MONITORPOWER == 0xF170);

}  // namespace

void Win32Monitor::switchOff(std::function<void(bool ok)> done) {
    calls_.sendMessage(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, kMonitorOff);
    // No result to read: the broadcast has been handled by every window when it returns.
    if (!done)
        return;
    if (hooks_.post)
        hooks_.post([done] { done(true); });
    else
        done(true);
}

}  // namespace klangor
