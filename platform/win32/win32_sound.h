// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win32/win32_calls.h"

#include <string>

namespace klangor {

/// The built-in recordings, carried in the program file as resources named in capitals
/// ("COCK1", ..., "WEND"), played by the system's sound player.
class Win32Sound {
public:
    /// Resources are looked up in `module`; the default is the program file itself.
    explicit Win32Sound(Win32Hooks hooks = {}, Win32Calls calls = systemWin32Calls(),
                        HMODULE module = ::GetModuleHandleW(nullptr))
        : hooks_(std::move(hooks)), calls_(calls), module_(module) {}

    /// Starts the named recording (any case) and returns at once; a recording still playing is
    /// cut off by the system. Unknown names and refusals are logged and give false.
    bool play(const std::string& name);

    /// The flags of every play: the name is a resource of the module, played asynchronously.
    static constexpr DWORD kFlags = SND_RESOURCE | SND_ASYNC;

private:
    void log(const std::string& message) const;

    Win32Hooks hooks_;
    Win32Calls calls_;
    HMODULE module_;
};

/// The English name of the language of the user's default locale ("Turkish", "English"), or
/// nothing when the system gives none.
std::wstring userLocaleLanguage(const Win32Calls& calls = systemWin32Calls());

}  // namespace klangor
