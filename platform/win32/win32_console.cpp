// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_console.h"

#include <climits>

namespace klangor {

namespace {

// Writes the whole of `text` and a line end to `handle`: with the console's own call when it is
// a console (which takes UTF-16 whatever its code page), as UTF-8 bytes otherwise.
bool writeLine(const Win32Calls& calls, HANDLE handle, const std::wstring& text) {
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring line = text + L"\r\n";
    if (line.size() > static_cast<std::size_t>(INT_MAX / 4))
        return false;
    DWORD mode = 0;
    if (calls.getConsoleMode(handle, &mode)) {
        DWORD written = 0;
        return calls.writeConsole(handle, line.data(), static_cast<DWORD>(line.size()), &written,
                                  nullptr) &&
               written == line.size();
    }
    const int length = static_cast<int>(line.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, line.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return false;
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.data(), length, bytes.data(), needed, nullptr, nullptr);
    DWORD written = 0;
    return calls.writeFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) &&
           written == bytes.size();
}

}  // namespace

MessageWay tellCommandLineUser(const std::wstring& text, bool error, const Win32Calls& calls) {
    // Started with its output going somewhere (redirected, piped, or a console program's own).
    const HANDLE given = calls.getStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (given && given != INVALID_HANDLE_VALUE && calls.getFileType(given) != FILE_TYPE_UNKNOWN &&
        writeLine(calls, given, text))
        return MessageWay::Stream;
    // Started from a command prompt: its console, which this program joins to write there.
    if (calls.attachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console = calls.createFile(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            const bool written = writeLine(calls, console, text);
            calls.closeHandle(console);
            if (written)
                return MessageWay::Console;
        }
    }
    // Started from Explorer or a shortcut: nothing to write to but the screen.
    const UINT style = MB_OK | MB_SETFOREGROUND | (error ? MB_ICONERROR : MB_ICONINFORMATION);
    return calls.messageBox(nullptr, text.c_str(), L"Klangor", style) != 0 ? MessageWay::MessageBox
                                                                           : MessageWay::Lost;
}

}  // namespace klangor
