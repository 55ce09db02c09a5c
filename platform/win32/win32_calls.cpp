// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_calls.h"

namespace klangor {

Win32Calls systemWin32Calls() {
    return Win32Calls{
        &::ShellExecuteW,
        &::GetCurrentProcess,
        &::OpenProcessToken,
        &::LookupPrivilegeValueW,
        &::AdjustTokenPrivileges,
        &::GetLastError,
        &::ExitWindowsEx,
        &::CloseHandle,
        &::SendMessageW,
        &::PlaySoundW,
        &::GetLocaleInfoW,
        &::IsIconic,
        &::ShowWindow,
        &::SetWindowPos,
        &::FlashWindowEx,
        &::Shell_NotifyIconW,
        &::GetStdHandle,
        &::GetFileType,
        &::AttachConsole,
        &::CreateFileW,
        &::GetConsoleMode,
        &::WriteConsoleW,
        &::WriteFile,
        &::MessageBoxW,
    };
}

}  // namespace klangor
