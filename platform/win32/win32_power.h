// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/power.h"
#include "platform/win32/win32_calls.h"

namespace klangor {

/// Lock, sleep, hibernate and restart through the system programs, and power-off in-process
/// with the shutdown privilege, as the program has always done them on Windows.
class Win32Power final : public Power {
public:
    explicit Win32Power(Win32Hooks hooks = {}, Win32Calls calls = systemWin32Calls())
        : hooks_(std::move(hooks)), calls_(calls) {}

    void request(PowerAction action, std::function<void(bool ok)> done = {}) override;

private:
    bool run(const wchar_t* program, const wchar_t* parameters);
    bool powerOff();
    void log(const std::string& message) const;

    Win32Hooks hooks_;
    Win32Calls calls_;
};

}  // namespace klangor
