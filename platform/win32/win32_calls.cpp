// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_calls.h"

namespace klangor {

Win32Calls systemWin32Calls() {
    Win32Calls c{};
    c.shellExecute = &::ShellExecuteW;
    c.getCurrentProcess = &::GetCurrentProcess;
    c.openProcessToken = &::OpenProcessToken;
    c.lookupPrivilegeValue = &::LookupPrivilegeValueW;
    c.adjustTokenPrivileges = &::AdjustTokenPrivileges;
    c.getLastError = &::GetLastError;
    c.exitWindowsEx = &::ExitWindowsEx;
    c.closeHandle = &::CloseHandle;
    c.sendMessage = &::SendMessageW;
    c.playSound = &::PlaySoundW;
    c.getLocaleInfo = &::GetLocaleInfoW;
    c.isIconic = &::IsIconic;
    c.showWindow = &::ShowWindow;
    c.setWindowPos = &::SetWindowPos;
    c.flashWindowEx = &::FlashWindowEx;
    c.getWindowLongPtr = &::GetWindowLongPtrW;
    c.setWindowLongPtr = &::SetWindowLongPtrW;
    c.shellNotifyIcon = &::Shell_NotifyIconW;
    c.getStdHandle = &::GetStdHandle;
    c.getFileType = &::GetFileType;
    c.attachConsole = &::AttachConsole;
    c.createFile = &::CreateFileW;
    c.getConsoleMode = &::GetConsoleMode;
    c.writeConsole = &::WriteConsoleW;
    c.writeFile = &::WriteFile;
    c.messageBox = &::MessageBoxW;
    return c;
}

}  // namespace klangor
