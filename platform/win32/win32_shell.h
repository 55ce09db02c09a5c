// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/shell.h"
#include "platform/win32/win32_calls.h"

namespace klangor {

/// The shell's "open": programs start, documents open with their program, addresses in the
/// browser. The target is handed over as the file to open, never as a command line.
class Win32Shell final : public Shell {
public:
    explicit Win32Shell(Win32Hooks hooks = {}, Win32Calls calls = systemWin32Calls())
        : hooks_(std::move(hooks)), calls_(calls) {}

    bool open(const std::string& target) override;

private:
    Win32Hooks hooks_;
    Win32Calls calls_;
};

/// UTF-8 to UTF-16; nothing when the text is not valid UTF-8.
bool utf8ToWide(const std::string& text, std::wstring& wide);

}  // namespace klangor
