// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/monitor.h"
#include "platform/win32/win32_calls.h"

namespace klangor {

/// Switches the monitor off with the monitor-power system command, sent to every top-level
/// window; returns once they handled it.
class Win32Monitor final : public Monitor {
public:
    explicit Win32Monitor(Win32Hooks hooks = {}, Win32Calls calls = systemWin32Calls())
        : hooks_(std::move(hooks)), calls_(calls) {}

    void switchOff(std::function<void(bool ok)> done = {}) override;

private:
    Win32Hooks hooks_;
    Win32Calls calls_;
};

}  // namespace klangor
