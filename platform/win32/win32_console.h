// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/win32/win32_calls.h"

#include <string>

namespace klangor {

/// Where a message of the command line reached the user.
enum class MessageWay {
    Stream,      // the standard output or error the program was given (a file, a pipe, a console)
    Console,     // the console of the program that started it (a command prompt)
    MessageBox,  // a message box: started from Explorer or a shortcut, no console to write to
    Lost,        // nowhere: every way failed
};

/// Tells the user who started the program `text` (one or more lines): the answer to --help or
/// --version, or, with `error`, a mistake on the command line. The program is a windowed one
/// with no console of its own, so the text goes to the standard output (error) it was given,
/// else to the console of the program that started it, else into a message box.
MessageWay tellCommandLineUser(const std::wstring& text, bool error,
                               const Win32Calls& calls = systemWin32Calls());

}  // namespace klangor
