// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_power.h"

#include <cstdint>

namespace klangor {

namespace {

constexpr DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;  // 0x28
constexpr UINT kPowerOffForced = EWX_POWEROFF | EWX_FORCE;             // 12
constexpr int kShow = SW_SHOW;                                         // 5
static_assert(kTokenAccess == 0x28 && kPowerOffForced == 12 && kShow == 5);
// The previous state of one privilege fills exactly 16 bytes.
static_assert(sizeof(TOKEN_PRIVILEGES) == 16);

/// Closes the token on every way out.
class TokenHandle {
public:
    explicit TokenHandle(const Win32Calls& calls) : calls_(calls) {}
    ~TokenHandle() {
        if (handle)
            calls_.closeHandle(handle);
    }
    TokenHandle(const TokenHandle&) = delete;
    TokenHandle& operator=(const TokenHandle&) = delete;
    HANDLE handle = nullptr;

private:
    const Win32Calls& calls_;
};

}  // namespace

void Win32Power::request(PowerAction action, std::function<void(bool ok)> done) {
    bool ok = false;
    switch (action) {
        case PowerAction::Lock:
            ok = run(L"Rundll32.exe", L"user32.dll,LockWorkStation");
            break;
        case PowerAction::Suspend:
            ok = run(L"Rundll32.exe", L"powrprof.dll,SetSuspendState Sleep");
            break;
        case PowerAction::Hibernate:
            ok = run(L"shutdown", L"/h /f");
            break;
        case PowerAction::Reboot:
            ok = run(L"shutdown", L"/r /f");
            break;
        case PowerAction::PowerOff:
            ok = powerOff();
            break;
        default:
            log("unknown power action " + std::to_string(static_cast<int>(action)));
            break;
    }
    if (!done)
        return;
    if (hooks_.post)
        hooks_.post([done, ok] { done(ok); });
    else
        done(ok);
}

bool Win32Power::run(const wchar_t* program, const wchar_t* parameters) {
    const HWND owner = hooks_.owner ? hooks_.owner() : nullptr;
    const HINSTANCE result =
        calls_.shellExecute(owner, L"open", program, parameters, nullptr, kShow);
    // ShellExecute reports success as a value above 32.
    const auto code = reinterpret_cast<std::intptr_t>(result);
    if (code <= 32) {
        log("the shell could not start the power command (error " + std::to_string(code) + ")");
        return false;
    }
    return true;
}

bool Win32Power::powerOff() {
    TokenHandle token(calls_);
    if (!calls_.openProcessToken(calls_.getCurrentProcess(), kTokenAccess, &token.handle)) {
        log("power off: cannot open the process token (error " +
            std::to_string(calls_.getLastError()) + ")");
        token.handle = nullptr;
        return false;
    }
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;  // 2
    if (!calls_.lookupPrivilegeValue(nullptr, L"SeShutdownPrivilege", &wanted.Privileges[0].Luid)) {
        log("power off: the shutdown privilege is unknown");
        return false;
    }
    TOKEN_PRIVILEGES previous{};
    DWORD previousSize = 0;
    if (!calls_.adjustTokenPrivileges(token.handle, FALSE, &wanted, sizeof previous, &previous,
                                      &previousSize)) {
        log("power off: cannot enable the shutdown privilege (error " +
            std::to_string(calls_.getLastError()) + ")");
        return false;
    }
    // The call succeeds even when the privilege is not granted; only a clean last error says it
    // really is enabled (ERROR_NOT_ALL_ASSIGNED otherwise).
    const DWORD adjusted = calls_.getLastError();
    if (adjusted != ERROR_SUCCESS) {
        log("power off: the shutdown privilege was not granted (error " + std::to_string(adjusted) +
            ")");
        return false;
    }
    if (!calls_.exitWindowsEx(kPowerOffForced, 0)) {
        log("power off: the system refused (error " + std::to_string(calls_.getLastError()) + ")");
        return false;
    }
    return true;
}

void Win32Power::log(const std::string& message) const {
    if (hooks_.log)
        hooks_.log(message);
}

}  // namespace klangor
