// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Win32 functions through which the Windows layer acts, gathered in one table so that a
// test can put recorders in place of the ones that would lock, power off or start programs.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// after windows.h
#include <mmsystem.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace klangor {

struct Win32Calls {
    decltype(&::ShellExecuteW) shellExecute;
    decltype(&::GetCurrentProcess) getCurrentProcess;
    decltype(&::OpenProcessToken) openProcessToken;
    decltype(&::LookupPrivilegeValueW) lookupPrivilegeValue;
    decltype(&::AdjustTokenPrivileges) adjustTokenPrivileges;
    decltype(&::GetLastError) getLastError;
    decltype(&::ExitWindowsEx) exitWindowsEx;
    decltype(&::CloseHandle) closeHandle;
    decltype(&::SendMessageW) sendMessage;
    decltype(&::PlaySoundW) playSound;
    decltype(&::GetLocaleInfoW) getLocaleInfo;
    // Bringing a window forward without the keyboard focus
    decltype(&::IsIconic) isIconic;
    decltype(&::ShowWindow) showWindow;
    decltype(&::SetWindowPos) setWindowPos;
    decltype(&::FlashWindowEx) flashWindowEx;
    decltype(&::GetWindowLongPtrW) getWindowLongPtr;
    decltype(&::SetWindowLongPtrW) setWindowLongPtr;
    // The notification-area icon and its balloons
    decltype(&::Shell_NotifyIconW) shellNotifyIcon;
    // Messages of the command line: the console that started the program, or a message box
    decltype(&::GetStdHandle) getStdHandle;
    decltype(&::GetFileType) getFileType;
    decltype(&::AttachConsole) attachConsole;
    decltype(&::CreateFileW) createFile;
    decltype(&::GetConsoleMode) getConsoleMode;
    decltype(&::WriteConsoleW) writeConsole;
    decltype(&::WriteFile) writeFile;
    decltype(&::MessageBoxW) messageBox;
};

/// The system's own functions.
Win32Calls systemWin32Calls();

/// What the Windows layer needs from the program around it; every member may be left empty.
struct Win32Hooks {
    /// The window that owns shell requests (the main window), or none.
    std::function<HWND()> owner;
    /// Where failures are logged (they are never shown).
    std::function<void(const std::string& message)> log;
    /// Runs `done` callbacks later on the user-interface thread; without it they run at once.
    std::function<void(std::function<void()>)> post;
};

}  // namespace klangor
