// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_tray.h"

#include <algorithm>

namespace klangor {

namespace {

// Copies `text` into the fixed field `field` of N characters, ending it with an ellipsis where
// it does not fit.
template <std::size_t N>
void copyField(wchar_t (&field)[N], const std::wstring& text) {
    std::wstring shown = text;
    if (shown.size() > N - 1) {
        shown.resize(N - 2);
        shown += L'\u2026';
    }
    std::copy(shown.begin(), shown.end(), field);
    field[shown.size()] = L'\0';
}

}  // namespace

NOTIFYICONDATAW Win32Tray::data(HWND owner, UINT flags) const {
    NOTIFYICONDATAW d{};
    d.cbSize = sizeof(d);
    d.hWnd = owner;
    d.uID = kIconId;
    d.uFlags = flags;
    return d;
}

bool Win32Tray::add(HWND owner) {
    if (owner_ == owner)
        return true;
    remove();  // a window made anew: the icon follows it
    NOTIFYICONDATAW d = data(owner, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    d.uCallbackMessage = kMessage;
    d.hIcon = icon_;
    copyField(d.szTip, L"Klangor");
    if (!calls_.shellNotifyIcon(NIM_ADD, &d)) {
        log("the notification area took no icon");
        return false;
    }
    owner_ = owner;
    // Clicks on the balloon are reported as such (NIN_BALLOONUSERCLICK) from this version on.
    NOTIFYICONDATAW version = data(owner, 0);
    version.uVersion = NOTIFYICON_VERSION_4;
    calls_.shellNotifyIcon(NIM_SETVERSION, &version);
    return true;
}

bool Win32Tray::showBalloon(const std::wstring& title, const std::wstring& text) {
    const HWND owner = hooks_.owner ? hooks_.owner() : nullptr;
    if (!owner) {
        log("no window for the notification area's icon");
        return false;
    }
    if (!add(owner))
        return false;
    NOTIFYICONDATAW d = data(owner, NIF_INFO);
    copyField(d.szInfoTitle, title);
    // An empty text would take the balloon away instead of showing it.
    copyField(d.szInfo, text.empty() ? std::wstring(L" ") : text);
    d.dwInfoFlags = NIIF_USER;
    d.hBalloonIcon = icon_;
    if (!calls_.shellNotifyIcon(NIM_MODIFY, &d)) {
        log("the notification area showed no balloon");
        return false;
    }
    return true;
}

void Win32Tray::hideBalloon() {
    if (!owner_)
        return;
    NOTIFYICONDATAW d = data(owner_, NIF_INFO);  // an empty text takes the balloon away
    calls_.shellNotifyIcon(NIM_MODIFY, &d);
}

void Win32Tray::remove() {
    if (!owner_)
        return;
    NOTIFYICONDATAW d = data(owner_, 0);
    calls_.shellNotifyIcon(NIM_DELETE, &d);
    owner_ = nullptr;
}

bool Win32Tray::isClick(UINT message, LPARAM lParam) {
    if (message != kMessage)
        return false;
    // The event is the low word (the whole parameter before version 4).
    switch (LOWORD(lParam)) {
        case NIN_BALLOONUSERCLICK:
        case NIN_SELECT:
        case NIN_KEYSELECT:
        case WM_LBUTTONUP:
            return true;
        default:
            return false;
    }
}

void Win32Tray::log(const std::string& message) const {
    if (hooks_.log)
        hooks_.log(message);
}

}  // namespace klangor
