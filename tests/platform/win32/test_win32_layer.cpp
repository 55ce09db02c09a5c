// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows layer with recorders in place of the calls that would act on the machine. Runs
// under wine as a console program and prints "win32 layer: N checks passed" when all held.
// One case runs the real privilege steps and replaces only the final power-off call.

#include "platform/win32/win32_monitor.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_sound.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace klangor;

namespace {

int checks = 0;
int failures = 0;

void check(bool ok, const char* what, int line) {
    ++checks;
    if (!ok) {
        ++failures;
        std::printf("FAIL line %d: %s\n", line, what);
    }
}
#define CHECK(cond) check((cond), #cond, __LINE__)

std::string narrow(const wchar_t* w) {
    if (!w)
        return "(null)";
    std::string s;
    for (; *w; ++w)
        s += *w < 128 ? static_cast<char>(*w) : '?';
    return s;
}

// --- recorders

struct ShellCall {
    HWND owner;
    std::wstring verb, file;
    bool hasParameters, hasFolder;
    std::wstring parameters;
    int show;
};
std::vector<ShellCall> shellCalls;
std::intptr_t shellResult = 42;

HINSTANCE WINAPI fakeShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                  LPCWSTR folder, INT show) {
    shellCalls.push_back({owner, verb ? verb : L"(null)", file ? file : L"(null)",
                          parameters != nullptr, folder != nullptr, parameters ? parameters : L"",
                          show});
    return reinterpret_cast<HINSTANCE>(shellResult);
}

std::vector<std::string> steps;
const HANDLE kProcess = reinterpret_cast<HANDLE>(std::intptr_t{-1});
const HANDLE kToken = reinterpret_cast<HANDLE>(std::intptr_t{0x5150});
std::string failAt;   // the step that fails
DWORD lastError = 0;  // what GetLastError says after the privilege step
BOOL exitResult = TRUE;

HANDLE WINAPI fakeGetCurrentProcess() {
    return kProcess;
}

BOOL WINAPI fakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    steps.push_back("OpenProcessToken access=" + std::to_string(access) +
                    (process == kProcess ? " own process" : " other process"));
    if (failAt == "open")
        return FALSE;
    *token = kToken;
    return TRUE;
}

BOOL WINAPI fakeLookupPrivilegeValue(LPCWSTR system, LPCWSTR name, PLUID luid) {
    steps.push_back("LookupPrivilegeValueW system=" + narrow(system) + " name=" + narrow(name));
    if (failAt == "lookup")
        return FALSE;
    luid->LowPart = 19;
    luid->HighPart = 0;
    return TRUE;
}

BOOL WINAPI fakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state,
                                      DWORD previousLength, PTOKEN_PRIVILEGES previous,
                                      PDWORD returnLength) {
    steps.push_back(std::string("AdjustTokenPrivileges") + (token == kToken ? " token" : " other") +
                    " disableAll=" + std::to_string(disableAll) +
                    " count=" + std::to_string(state->PrivilegeCount) +
                    " luid=" + std::to_string(state->Privileges[0].Luid.LowPart) +
                    " attributes=" + std::to_string(state->Privileges[0].Attributes) +
                    " previousLength=" + std::to_string(previousLength) +
                    (previous && returnLength ? " previous" : " no-previous"));
    return failAt == "adjust" ? FALSE : TRUE;
}

DWORD WINAPI fakeGetLastError() {
    steps.push_back("GetLastError");
    return lastError;
}

BOOL WINAPI fakeExitWindowsEx(UINT flags, DWORD reason) {
    steps.push_back("ExitWindowsEx flags=" + std::to_string(flags) +
                    " reason=" + std::to_string(reason));
    return exitResult;
}

BOOL WINAPI fakeCloseHandle(HANDLE h) {
    steps.push_back(h == kToken ? "CloseHandle token" : "CloseHandle other");
    return TRUE;
}

struct Message {
    HWND to;
    UINT message;
    WPARAM w;
    LPARAM l;
};
std::vector<Message> messages;

LRESULT WINAPI fakeSendMessage(HWND to, UINT message, WPARAM w, LPARAM l) {
    messages.push_back({to, message, w, l});
    return 0;
}

struct SoundCall {
    std::wstring name;
    HMODULE module;
    DWORD flags;
};
std::vector<SoundCall> soundCalls;
BOOL soundResult = TRUE;

BOOL WINAPI fakePlaySound(LPCWSTR name, HMODULE module, DWORD flags) {
    soundCalls.push_back({name ? name : L"(null)", module, flags});
    return soundResult;
}

// The locale's English language name as the system would give it; the calls are recorded as
// "locale=<id> item=<item> size=<buffer size>".
std::wstring localeLanguage = L"Turkish";
int localeLengthAnswer = -1;  // what the length query answers; -1: the true length
std::vector<std::string> localeCalls;

int WINAPI fakeGetLocaleInfo(LCID locale, LCTYPE item, LPWSTR buffer, int size) {
    localeCalls.push_back("locale=" + std::to_string(locale) + " item=" + std::to_string(item) +
                          " size=" + std::to_string(size));
    const int needed = static_cast<int>(localeLanguage.size()) + 1;
    if (size == 0)
        return localeLengthAnswer >= 0 ? localeLengthAnswer : needed;
    if (size < needed)
        return 0;  // the buffer is too small
    std::copy(localeLanguage.c_str(), localeLanguage.c_str() + needed, buffer);
    return needed;
}

Win32Calls fakeCalls() {
    return Win32Calls{&fakeShellExecute,          &fakeGetCurrentProcess,
                      &fakeOpenProcessToken,      &fakeLookupPrivilegeValue,
                      &fakeAdjustTokenPrivileges, &fakeGetLastError,
                      &fakeExitWindowsEx,         &fakeCloseHandle,
                      &fakeSendMessage,           &fakePlaySound,
                      &fakeGetLocaleInfo};
}

void reset() {
    shellCalls.clear();
    steps.clear();
    messages.clear();
    shellResult = 42;
    failAt.clear();
    lastError = 0;
    exitResult = TRUE;
    soundCalls.clear();
    soundResult = TRUE;
    localeLanguage = L"Turkish";
    localeLengthAnswer = -1;
    localeCalls.clear();
}

struct Outcome {
    int calls = 0;
    bool ok = false;
    std::function<void(bool)> callback() {
        return [this](bool r) {
            ++calls;
            ok = r;
        };
    }
};

const HWND kOwner = reinterpret_cast<HWND>(std::intptr_t{0x1234});

Win32Hooks ownerHooks() {
    Win32Hooks h;
    h.owner = [] { return kOwner; };
    return h;
}

// --- cases

void commandRows() {
    struct Row {
        PowerAction action;
        const wchar_t* file;
        const wchar_t* parameters;
    };
    const Row rows[] = {
        {PowerAction::Lock, L"Rundll32.exe", L"user32.dll,LockWorkStation"},
        {PowerAction::Suspend, L"Rundll32.exe", L"powrprof.dll,SetSuspendState Sleep"},
        {PowerAction::Hibernate, L"shutdown", L"/h /f"},
        {PowerAction::Reboot, L"shutdown", L"/r /f"},
    };
    for (const Row& row : rows) {
        reset();
        Win32Power power(ownerHooks(), fakeCalls());
        Outcome out;
        power.request(row.action, out.callback());
        CHECK(shellCalls.size() == 1);
        if (shellCalls.size() != 1)
            continue;
        const ShellCall& c = shellCalls[0];
        CHECK(c.owner == kOwner);
        CHECK(c.verb == L"open");
        CHECK(c.file == row.file);
        CHECK(c.hasParameters && c.parameters == row.parameters);
        CHECK(!c.hasFolder);
        CHECK(c.show == 5);
        CHECK(steps.empty());  // no privilege games for these
        CHECK(out.calls == 1 && out.ok);
    }
    // A shell error (file not found is 2) reports false.
    reset();
    shellResult = 2;
    std::vector<std::string> logged;
    Win32Hooks hooks;
    hooks.log = [&](const std::string& m) { logged.push_back(m); };
    Win32Power power(hooks, fakeCalls());
    Outcome out;
    power.request(PowerAction::Reboot, out.callback());
    CHECK(out.calls == 1 && !out.ok);
    CHECK(logged.size() == 1);
}

void powerOffSteps() {
    reset();
    Win32Power power({}, fakeCalls());
    Outcome out;
    power.request(PowerAction::PowerOff, out.callback());
    const std::vector<std::string> expected = {
        "OpenProcessToken access=40 own process",
        "LookupPrivilegeValueW system=(null) name=SeShutdownPrivilege",
        "AdjustTokenPrivileges token disableAll=0 count=1 luid=19 attributes=2 "
        "previousLength=16 previous",
        "GetLastError",
        "ExitWindowsEx flags=12 reason=0",
        "CloseHandle token",
    };
    CHECK(steps == expected);
    if (steps != expected)
        for (const auto& s : steps)
            std::printf("  step: %s\n", s.c_str());
    CHECK(shellCalls.empty());
    CHECK(out.calls == 1 && out.ok);
}

void powerOffStopsAtTheFirstFailure() {
    struct Row {
        const char* failAt;
        DWORD lastError;
        BOOL exitResult;
    };
    const Row rows[] = {
        {"open", 0, TRUE},   {"lookup", 0, TRUE},
        {"adjust", 0, TRUE}, {"", ERROR_NOT_ALL_ASSIGNED, TRUE},  // not granted
        {"", 0, FALSE},                                           // refused by the system
    };
    for (const Row& row : rows) {
        reset();
        failAt = row.failAt;
        lastError = row.lastError;
        exitResult = row.exitResult;
        Win32Power power({}, fakeCalls());
        Outcome out;
        power.request(PowerAction::PowerOff, out.callback());
        int exits = 0, opened = 0, closed = 0;
        for (const auto& s : steps) {
            exits += s.rfind("ExitWindowsEx", 0) == 0;
            opened += s.rfind("OpenProcessToken", 0) == 0 && failAt != "open";
            closed += s == "CloseHandle token";
        }
        CHECK(out.calls == 1 && !out.ok);
        CHECK(exits == (row.exitResult ? 0 : 1));
        CHECK(closed == opened);  // the token is closed on every way out
    }
}

// The real token, privilege lookup and adjustment; only the power-off itself is a recorder.
void realPrivilegeSteps() {
    reset();
    Win32Calls calls = systemWin32Calls();
    calls.exitWindowsEx = &fakeExitWindowsEx;
    Win32Power power({}, calls);
    Outcome out;
    power.request(PowerAction::PowerOff, out.callback());
    CHECK(steps == std::vector<std::string>{"ExitWindowsEx flags=12 reason=0"});
    CHECK(out.calls == 1 && out.ok);

    // And the privilege is now enabled in this process's token.
    HANDLE token = nullptr;
    CHECK(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID luid{};
    CHECK(::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid));
    PRIVILEGE_SET set{};
    set.PrivilegeCount = 1;
    set.Control = PRIVILEGE_SET_ALL_NECESSARY;
    set.Privilege[0].Luid = luid;
    BOOL enabled = FALSE;
    CHECK(::PrivilegeCheck(token, &set, &enabled) && enabled);
    ::CloseHandle(token);
}

void shellOpen() {
    struct Row {
        const char* utf8;
        const wchar_t* wide;
    };
    const Row rows[] = {
        {"C:\\Users\\\xC3\x87"
         "a\xC4\x9F"
         "la\\a b; x.exe",
         L"C:\\Users\\\u00C7a\u011Fla\\a b; x.exe"},
        {"https://vostrel.example/?a=1&b=2", L"https://vostrel.example/?a=1&b=2"},
        {"D:\\it's \"quoted\" & %PATH%.txt", L"D:\\it's \"quoted\" & %PATH%.txt"},
    };
    for (const Row& row : rows) {
        reset();
        Win32Shell shell(ownerHooks(), fakeCalls());
        CHECK(shell.open(row.utf8));
        CHECK(shellCalls.size() == 1);
        if (shellCalls.size() != 1)
            continue;
        const ShellCall& c = shellCalls[0];
        CHECK(c.owner == kOwner);
        CHECK(c.verb == L"open");
        CHECK(c.file == row.wide);
        CHECK(!c.hasParameters);
        CHECK(!c.hasFolder);
        CHECK(c.show == 1);
    }
    for (const std::string& bad :
         {std::string(), std::string("C:\\\xFF\xFE.exe"), std::string("C:\\a.exe\0 /evil", 15)}) {
        reset();
        Win32Shell shell({}, fakeCalls());
        CHECK(!shell.open(bad));
        CHECK(shellCalls.empty());
    }
    reset();
    shellResult = 31;  // SE_ERR_NOASSOC
    Win32Shell shell({}, fakeCalls());
    CHECK(!shell.open("C:\\a.unknown"));

    // The real ShellExecuteW on a file that is not there: refused, nothing started.
    CHECK(!Win32Shell().open("C:\\klangor-does-not-exist\\nothing here.exe"));
}

void monitorOff() {
    reset();
    int posted = 0;
    Win32Hooks hooks;
    hooks.post = [&](std::function<void()> f) {
        ++posted;
        f();
    };
    Win32Monitor monitor(hooks, fakeCalls());
    Outcome out;
    monitor.switchOff(out.callback());
    CHECK(messages.size() == 1);
    if (messages.size() == 1) {
        CHECK(messages[0].to == reinterpret_cast<HWND>(std::intptr_t{0xFFFF}));
        CHECK(messages[0].message == 0x0112);
        CHECK(messages[0].w == 0xF170);
        CHECK(messages[0].l == 2);
    }
    CHECK(posted == 1);
    CHECK(out.calls == 1 && out.ok);
}

void doneGoesThroughPost() {
    reset();
    std::vector<std::function<void()>> queue;
    Win32Hooks hooks;
    hooks.post = [&](std::function<void()> f) { queue.push_back(std::move(f)); };
    Win32Power power(hooks, fakeCalls());
    Outcome out;
    power.request(PowerAction::Lock, out.callback());
    CHECK(out.calls == 0);  // not from inside request()
    CHECK(queue.size() == 1);
    for (auto& f : queue)
        f();
    CHECK(out.calls == 1 && out.ok);
}

void soundByResourceName() {
    const HMODULE module = reinterpret_cast<HMODULE>(std::intptr_t{0x400000});
    const struct {
        const char* name;
        const wchar_t* resource;
    } rows[] = {{"cock1", L"COCK1"},
                {"Cock2", L"COCK2"},
                {"NOTIFY", L"NOTIFY"},
                {"wbegin", L"WBEGIN"},
                {"wEnD", L"WEND"}};
    for (const auto& row : rows) {
        reset();
        std::vector<std::string> logged;
        Win32Hooks hooks;
        hooks.log = [&](const std::string& m) { logged.push_back(m); };
        Win32Sound sound(hooks, fakeCalls(), module);
        CHECK(sound.play(row.name));
        CHECK(soundCalls.size() == 1);
        if (soundCalls.size() == 1) {
            CHECK(soundCalls[0].name == row.resource);
            CHECK(soundCalls[0].module == module);
            CHECK(soundCalls[0].flags == 0x00040005);  // resource, asynchronous
        }
        CHECK(logged.empty());
    }
}

void soundRefusals() {
    // Names that are no recording never reach the system (which would play its default sound
    // for an unknown name); a refusal by the system is logged.
    for (const char* name : {"", "cock", "cock12", "SystemAsterisk", "..\\cock1", "ńotify"}) {
        reset();
        std::vector<std::string> logged;
        Win32Hooks hooks;
        hooks.log = [&](const std::string& m) { logged.push_back(m); };
        CHECK(!Win32Sound(hooks, fakeCalls(), nullptr).play(name));
        CHECK(soundCalls.empty());
        CHECK(logged.size() == 1);
    }
    reset();
    soundResult = FALSE;
    std::vector<std::string> logged;
    Win32Hooks hooks;
    hooks.log = [&](const std::string& m) { logged.push_back(m); };
    CHECK(!Win32Sound(hooks, fakeCalls(), nullptr).play("notify"));
    CHECK(soundCalls.size() == 1);
    CHECK(logged.size() == 1 && logged[0].find("NOTIFY") != std::string::npos);
    // Without a log hook a refusal is silent, not a crash.
    CHECK(!Win32Sound({}, fakeCalls(), nullptr).play("nothing"));
}

void localeLanguageName() {
    reset();
    CHECK(userLocaleLanguage(fakeCalls()) == L"Turkish");
    // The user's default locale, its English language name: first the length, then the text.
    CHECK(localeCalls.size() == 2);
    if (localeCalls.size() == 2) {
        CHECK(localeCalls[0] == "locale=1024 item=4097 size=0");
        CHECK(localeCalls[1] == "locale=1024 item=4097 size=8");
    }
    reset();
    localeLanguage = L"Türkçe (Türkiye)";
    CHECK(userLocaleLanguage(fakeCalls()) == L"Türkçe (Türkiye)");
    // No answer, or a length the text then does not fit: nothing, never a read past the buffer.
    reset();
    localeLengthAnswer = 0;
    CHECK(userLocaleLanguage(fakeCalls()).empty());
    CHECK(localeCalls.size() == 1);
    reset();
    localeLengthAnswer = 3;
    CHECK(userLocaleLanguage(fakeCalls()).empty());
    // The system's own answer under wine: some language.
    CHECK(!userLocaleLanguage().empty());
}

}  // namespace

int main() {
    commandRows();
    powerOffSteps();
    powerOffStopsAtTheFirstFailure();
    realPrivilegeSteps();
    shellOpen();
    monitorOff();
    doneGoesThroughPost();
    soundByResourceName();
    soundRefusals();
    localeLanguageName();
    if (failures) {
        std::printf("win32 layer: %d of %d checks failed\n", failures, checks);
        return 1;
    }
    std::printf("win32 layer: %d checks passed\n", checks);
    return 0;
}
