// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows layer with recorders in place of the calls that would act on the machine. Runs
// under wine as a console program and prints "win32 layer: N checks passed" when all held.
// One case runs the real privilege steps and replaces only the final power-off call.

#include "platform/win32/win32_console.h"
#include "platform/win32/win32_monitor.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_tray.h"
#include "platform/win32/win32_window.h"

#include <algorithm>
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

// The window calls, recorded in order: "IsIconic", "ShowWindow <command>",
// "SetWindowPos <after> flags=<flags>", "FlashWindowEx flags=<flags> count=<n> timeout=<ms>".
const HWND kWindow = reinterpret_cast<HWND>(std::intptr_t{0x4321});
std::vector<std::string> windowCalls;
BOOL iconic = FALSE;

std::string windowName(HWND w) {
    return w == kWindow ? "window" : "other";
}

BOOL WINAPI fakeIsIconic(HWND w) {
    windowCalls.push_back("IsIconic " + windowName(w));
    return iconic;
}

BOOL WINAPI fakeShowWindow(HWND w, int command) {
    windowCalls.push_back("ShowWindow " + windowName(w) + " " + std::to_string(command));
    return TRUE;
}

BOOL WINAPI fakeSetWindowPos(HWND w, HWND after, int x, int y, int cx, int cy, UINT flags) {
    windowCalls.push_back("SetWindowPos " + windowName(w) +
                          (after == HWND_TOPMOST ? " topmost" : " other") + " at " +
                          std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(cx) +
                          "x" + std::to_string(cy) + " flags=" + std::to_string(flags));
    return TRUE;
}

BOOL WINAPI fakeFlashWindowEx(PFLASHWINFO info) {
    windowCalls.push_back("FlashWindowEx " + windowName(info->hwnd) +
                          (info->cbSize == sizeof(FLASHWINFO) ? "" : " bad-size") + " flags=" +
                          std::to_string(info->dwFlags) + " count=" + std::to_string(info->uCount) +
                          " timeout=" + std::to_string(info->dwTimeout));
    return TRUE;
}

LONG_PTR exStyle = 0;  // the window's extended style

LONG_PTR WINAPI fakeGetWindowLongPtr(HWND w, int index) {
    windowCalls.push_back("GetWindowLongPtr " + windowName(w) +
                          (index == GWL_EXSTYLE ? "" : " index=" + std::to_string(index)));
    return exStyle;
}

LONG_PTR WINAPI fakeSetWindowLongPtr(HWND w, int index, LONG_PTR value) {
    windowCalls.push_back("SetWindowLongPtr " + windowName(w) +
                          (index == GWL_EXSTYLE ? " exstyle=" : " index=") + std::to_string(value));
    const LONG_PTR before = exStyle;
    exStyle = value;
    return before;
}

// The notification area: each call with a copy of what it was given.
struct TrayCall {
    DWORD message;
    NOTIFYICONDATAW data;
};
std::vector<TrayCall> trayCalls;
BOOL trayAddResult = TRUE;

BOOL WINAPI fakeShellNotifyIcon(DWORD message, PNOTIFYICONDATAW data) {
    trayCalls.push_back({message, *data});
    return message == NIM_ADD ? trayAddResult : TRUE;
}

// The console and the message box. Handles: kOut and kErr are what the program was given (none
// when null), kConOut the console opened after joining the parent's.
const HANDLE kOut = reinterpret_cast<HANDLE>(std::intptr_t{0x70});
const HANDLE kErr = reinterpret_cast<HANDLE>(std::intptr_t{0x71});
const HANDLE kConOut = reinterpret_cast<HANDLE>(std::intptr_t{0x72});
HANDLE givenOut = nullptr, givenErr = nullptr;
DWORD givenType = FILE_TYPE_PIPE;
bool givenIsConsole = false;  // kOut and kErr are a console
bool parentConsole = false;   // the parent has a console to join
std::vector<std::string> consoleCalls;
std::wstring consoleText;  // what WriteConsoleW wrote
std::string fileBytes;     // what WriteFile wrote
std::wstring boxText;      // the message box's text, title and style
std::wstring boxTitle;
UINT boxStyle = 0;

std::string handleName(HANDLE h) {
    return h == kOut ? "out" : h == kErr ? "err" : h == kConOut ? "conout" : "other";
}

HANDLE WINAPI fakeGetStdHandle(DWORD which) {
    consoleCalls.push_back("GetStdHandle " + std::string(which == STD_OUTPUT_HANDLE  ? "output"
                                                         : which == STD_ERROR_HANDLE ? "error"
                                                                                     : "other"));
    return which == STD_OUTPUT_HANDLE ? givenOut : which == STD_ERROR_HANDLE ? givenErr : nullptr;
}

DWORD WINAPI fakeGetFileType(HANDLE h) {
    consoleCalls.push_back("GetFileType " + handleName(h));
    return givenType;
}

BOOL WINAPI fakeAttachConsole(DWORD process) {
    consoleCalls.push_back(process == ATTACH_PARENT_PROCESS ? "AttachConsole parent"
                                                            : "AttachConsole other");
    return parentConsole;
}

HANDLE WINAPI fakeCreateFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                             DWORD disposition, DWORD, HANDLE) {
    consoleCalls.push_back("CreateFileW " + narrow(name) + " access=" + std::to_string(access) +
                           " share=" + std::to_string(share) +
                           " disposition=" + std::to_string(disposition));
    return kConOut;
}

BOOL WINAPI fakeGetConsoleMode(HANDLE h, LPDWORD mode) {
    *mode = 0;
    return h == kConOut || ((h == kOut || h == kErr) && givenIsConsole);
}

BOOL WINAPI fakeWriteConsole(HANDLE h, const VOID* text, DWORD length, LPDWORD written, LPVOID) {
    consoleCalls.push_back("WriteConsoleW " + handleName(h));
    consoleText.append(static_cast<const wchar_t*>(text), length);
    *written = length;
    return TRUE;
}

BOOL WINAPI fakeWriteFile(HANDLE h, LPCVOID bytes, DWORD length, LPDWORD written, LPOVERLAPPED) {
    consoleCalls.push_back("WriteFile " + handleName(h));
    fileBytes.append(static_cast<const char*>(bytes), length);
    *written = length;
    return TRUE;
}

int WINAPI fakeMessageBox(HWND, LPCWSTR text, LPCWSTR title, UINT style) {
    consoleCalls.push_back("MessageBoxW");
    boxText = text;
    boxTitle = title;
    boxStyle = style;
    return IDOK;
}

// Every call a recorder; a call the table has no recorder for would crash the test.
Win32Calls fakeCalls() {
    Win32Calls c{};
    c.shellExecute = &fakeShellExecute;
    c.getCurrentProcess = &fakeGetCurrentProcess;
    c.openProcessToken = &fakeOpenProcessToken;
    c.lookupPrivilegeValue = &fakeLookupPrivilegeValue;
    c.adjustTokenPrivileges = &fakeAdjustTokenPrivileges;
    c.getLastError = &fakeGetLastError;
    c.exitWindowsEx = &fakeExitWindowsEx;
    c.closeHandle = &fakeCloseHandle;
    c.sendMessage = &fakeSendMessage;
    c.playSound = &fakePlaySound;
    c.getLocaleInfo = &fakeGetLocaleInfo;
    c.isIconic = &fakeIsIconic;
    c.showWindow = &fakeShowWindow;
    c.setWindowPos = &fakeSetWindowPos;
    c.flashWindowEx = &fakeFlashWindowEx;
    c.getWindowLongPtr = &fakeGetWindowLongPtr;
    c.setWindowLongPtr = &fakeSetWindowLongPtr;
    c.shellNotifyIcon = &fakeShellNotifyIcon;
    c.getStdHandle = &fakeGetStdHandle;
    c.getFileType = &fakeGetFileType;
    c.attachConsole = &fakeAttachConsole;
    c.createFile = &fakeCreateFile;
    c.getConsoleMode = &fakeGetConsoleMode;
    c.writeConsole = &fakeWriteConsole;
    c.writeFile = &fakeWriteFile;
    c.messageBox = &fakeMessageBox;
    return c;
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
    windowCalls.clear();
    iconic = FALSE;
    exStyle = 0;
    trayCalls.clear();
    trayAddResult = TRUE;
    givenOut = givenErr = nullptr;
    givenType = FILE_TYPE_PIPE;
    givenIsConsole = false;
    parentConsole = false;
    consoleCalls.clear();
    consoleText.clear();
    fileBytes.clear();
    boxText.clear();
    boxTitle.clear();
    boxStyle = 0;
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

// The window comes back on top and flashes its taskbar button, and nothing in it activates the
// window: the keys the user types keep going to the program they are in. It refuses activation
// meanwhile, until it is told to accept it again.
void bringForwardWithoutActivation() {
    const std::string refuse =
        "SetWindowLongPtr window exstyle=" + std::to_string(WS_EX_TOPMOST | WS_EX_NOACTIVATE);
    const std::string flash =
        "FlashWindowEx window flags=" + std::to_string(FLASHW_TRAY | FLASHW_TIMERNOFG) +
        " count=0 timeout=0";
    const std::string restore = "ShowWindow window " + std::to_string(SW_SHOWNOACTIVATE);
    const std::string top =
        "SetWindowPos window topmost at 0,0 0x0 flags=" +
        std::to_string(SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    const struct {
        BOOL iconic;
        std::vector<std::string> expected;
    } rows[] = {
        {TRUE, {"IsIconic window", "GetWindowLongPtr window", refuse, flash, restore, top}},
        {FALSE, {"IsIconic window", "GetWindowLongPtr window", refuse, flash, top}},
    };
    for (const auto& row : rows) {
        reset();
        iconic = row.iconic;
        exStyle = WS_EX_TOPMOST;
        Win32Window(fakeCalls()).bringForward(kWindow);
        CHECK(windowCalls == row.expected);
        if (windowCalls != row.expected)
            for (const auto& c : windowCalls)
                std::printf("  call: %s\n", c.c_str());
        // Accepting activation again takes back only what was added.
        windowCalls.clear();
        Win32Window(fakeCalls()).acceptActivation(kWindow);
        CHECK(exStyle == WS_EX_TOPMOST);
        Win32Window(fakeCalls()).acceptActivation(kWindow);  // nothing left to take back
        CHECK((windowCalls == std::vector<std::string>{"GetWindowLongPtr window",
                                                       "SetWindowLongPtr window exstyle=" +
                                                           std::to_string(WS_EX_TOPMOST),
                                                       "GetWindowLongPtr window"}));
    }
    reset();
    Win32Window(fakeCalls()).bringForward(nullptr);
    Win32Window(fakeCalls()).acceptActivation(nullptr);
    CHECK(windowCalls.empty());
}

void trayBalloons() {
    const HICON icon = reinterpret_cast<HICON>(std::intptr_t{0x1C0});
    std::vector<std::string> logged;
    Win32Hooks hooks = ownerHooks();
    hooks.log = [&](const std::string& m) { logged.push_back(m); };

    // The first balloon adds the icon (with the program's icon, its tip and the message for
    // clicks), asks for balloon clicks, then shows the balloon with the program's icon.
    reset();
    {
        Win32Tray tray(hooks, fakeCalls(), icon);
        CHECK(tray.showBalloon(L"Klangor", L"Shut down in 15 s"));
        CHECK(trayCalls.size() == 3);
        if (trayCalls.size() == 3) {
            const NOTIFYICONDATAW& add = trayCalls[0].data;
            CHECK(trayCalls[0].message == NIM_ADD);
            CHECK(add.cbSize == sizeof(NOTIFYICONDATAW));
            CHECK(add.hWnd == kOwner && add.uID == Win32Tray::kIconId);
            CHECK(add.uFlags == (NIF_MESSAGE | NIF_ICON | NIF_TIP));
            CHECK(add.uCallbackMessage == Win32Tray::kMessage);
            CHECK(add.hIcon == icon);
            CHECK(std::wstring(add.szTip) == L"Klangor");
            CHECK(trayCalls[1].message == NIM_SETVERSION);
            CHECK(trayCalls[1].data.uVersion == NOTIFYICON_VERSION_4);
            const NOTIFYICONDATAW& info = trayCalls[2].data;
            CHECK(trayCalls[2].message == NIM_MODIFY);
            CHECK(info.hWnd == kOwner && info.uID == Win32Tray::kIconId);
            CHECK(info.uFlags == NIF_INFO);
            CHECK(std::wstring(info.szInfoTitle) == L"Klangor");
            CHECK(std::wstring(info.szInfo) == L"Shut down in 15 s");
            CHECK(info.dwInfoFlags == NIIF_USER && info.hBalloonIcon == icon);
        }
        // The next balloon only replaces the text; taking it away sends an empty one.
        trayCalls.clear();
        CHECK(tray.showBalloon(L"Klangor", std::wstring(300, L'\u00E7')));
        tray.hideBalloon();
        CHECK(trayCalls.size() == 2);
        if (trayCalls.size() == 2) {
            CHECK(trayCalls[0].message == NIM_MODIFY);
            // Too long for the shell: shortened, with an ellipsis at the end.
            const std::wstring shown = trayCalls[0].data.szInfo;
            CHECK(shown == std::wstring(254, L'\u00E7') + L'\u2026');
            CHECK(trayCalls[1].message == NIM_MODIFY && trayCalls[1].data.uFlags == NIF_INFO);
            CHECK(trayCalls[1].data.szInfo[0] == L'\0');
        }
        trayCalls.clear();
    }
    // The icon goes with the program.
    CHECK(trayCalls.size() == 1 && trayCalls[0].message == NIM_DELETE &&
          trayCalls[0].data.hWnd == kOwner && trayCalls[0].data.uID == Win32Tray::kIconId);
    CHECK(logged.empty());

    // No window yet, or a shell that takes no icon: nothing shown, said in the log, and the
    // next balloon tries again.
    reset();
    {
        Win32Hooks none;
        none.log = [&](const std::string& m) { logged.push_back(m); };
        Win32Tray tray(none, fakeCalls(), icon);
        CHECK(!tray.showBalloon(L"Klangor", L"text"));
        CHECK(trayCalls.empty());
        CHECK(logged.size() == 1);
    }
    CHECK(trayCalls.empty());  // nothing to remove
    reset();
    logged.clear();
    {
        Win32Tray tray(hooks, fakeCalls(), icon);
        trayAddResult = FALSE;
        CHECK(!tray.showBalloon(L"Klangor", L"text"));
        CHECK(trayCalls.size() == 1 && logged.size() == 1);
        trayAddResult = TRUE;
        CHECK(tray.showBalloon(L"Klangor", L"text"));
        CHECK(trayCalls.size() == 4 && trayCalls[1].message == NIM_ADD);
    }

    // Clicks on the balloon or the icon, in either layout of the shell's message; other events
    // and other messages are not clicks.
    const struct {
        UINT message;
        LPARAM lParam;
        bool click;
    } rows[] = {
        {Win32Tray::kMessage, MAKELPARAM(NIN_BALLOONUSERCLICK, Win32Tray::kIconId), true},
        {Win32Tray::kMessage, NIN_BALLOONUSERCLICK, true},
        {Win32Tray::kMessage, MAKELPARAM(NIN_SELECT, Win32Tray::kIconId), true},
        {Win32Tray::kMessage, MAKELPARAM(NIN_KEYSELECT, Win32Tray::kIconId), true},
        {Win32Tray::kMessage, WM_LBUTTONUP, true},
        {Win32Tray::kMessage, MAKELPARAM(NIN_BALLOONTIMEOUT, Win32Tray::kIconId), false},
        {Win32Tray::kMessage, MAKELPARAM(NIN_BALLOONSHOW, Win32Tray::kIconId), false},
        {Win32Tray::kMessage, WM_MOUSEMOVE, false},
        {WM_LBUTTONUP, WM_LBUTTONUP, false},
    };
    for (const auto& row : rows)
        CHECK(Win32Tray::isClick(row.message, row.lParam) == row.click);
}

// Where the command line's answer goes: the output the program was given, else the console of
// the program that started it, else a message box.
void commandLineMessages() {
    const std::wstring help = L"Yard\u0131m: klangor.exe [--help]";
    const std::string helpUtf8 = "Yard\xC4\xB1m: klangor.exe [--help]\r\n";

    // Output to a pipe or a file: the text as UTF-8, nothing else tried.
    reset();
    givenOut = kOut;
    CHECK(tellCommandLineUser(help, false, fakeCalls()) == MessageWay::Stream);
    CHECK(fileBytes == helpUtf8);
    CHECK((consoleCalls ==
           std::vector<std::string>{"GetStdHandle output", "GetFileType out", "WriteFile out"}));
    // A mistake goes to the error output.
    reset();
    givenOut = kOut;
    givenErr = kErr;
    CHECK(tellCommandLineUser(L"klangor: no", true, fakeCalls()) == MessageWay::Stream);
    CHECK((consoleCalls ==
           std::vector<std::string>{"GetStdHandle error", "GetFileType err", "WriteFile err"}));
    // Output to a console: its own call, in UTF-16.
    reset();
    givenOut = kOut;
    givenType = FILE_TYPE_CHAR;
    givenIsConsole = true;
    CHECK(tellCommandLineUser(help, false, fakeCalls()) == MessageWay::Stream);
    CHECK(consoleText == help + L"\r\n");
    CHECK(fileBytes.empty());

    // Started from a command prompt (no output of its own, or one that is not there): the
    // parent's console, joined and written to.
    for (const DWORD type : {DWORD{FILE_TYPE_PIPE}, DWORD{FILE_TYPE_UNKNOWN}}) {
        reset();
        givenOut = type == FILE_TYPE_UNKNOWN ? kOut : nullptr;
        givenType = type;
        parentConsole = true;
        CHECK(tellCommandLineUser(help, false, fakeCalls()) == MessageWay::Console);
        CHECK(consoleText == help + L"\r\n");
        CHECK(std::count(consoleCalls.begin(), consoleCalls.end(), "AttachConsole parent") == 1);
        CHECK(std::count(
                  consoleCalls.begin(), consoleCalls.end(),
                  "CreateFileW CONOUT$ access=" + std::to_string(GENERIC_READ | GENERIC_WRITE) +
                      " share=3 disposition=" + std::to_string(OPEN_EXISTING)) == 1);
        CHECK(std::count(consoleCalls.begin(), consoleCalls.end(), "MessageBoxW") == 0);
        CHECK(std::count(consoleCalls.begin(), consoleCalls.end(), "WriteConsoleW conout") == 1);
    }

    // Started from Explorer: a message box, an error one for a mistake.
    for (const bool error : {false, true}) {
        reset();
        CHECK(tellCommandLineUser(help, error, fakeCalls()) == MessageWay::MessageBox);
        CHECK(boxText == help && boxTitle == L"Klangor");
        CHECK((boxStyle & MB_ICONMASK) == UINT(error ? MB_ICONERROR : MB_ICONINFORMATION));
        CHECK((boxStyle & MB_TYPEMASK) == MB_OK);
        CHECK(consoleText.empty() && fileBytes.empty());
    }

    // The real calls under wine, whose output here is a pipe: the line arrives as written.
    CHECK(tellCommandLineUser(L"win32 layer: a line through the standard output", false) ==
          MessageWay::Stream);
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
    bringForwardWithoutActivation();
    trayBalloons();
    commandLineMessages();
    if (failures) {
        std::printf("win32 layer: %d of %d checks failed\n", failures, checks);
        return 1;
    }
    std::printf("win32 layer: %d checks passed\n", checks);
    return 0;
}
