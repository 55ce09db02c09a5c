// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_sound.h"

#include <array>
#include <string_view>
#include <vector>

namespace klangor {

namespace {

constexpr std::array<std::string_view, 5> kRecordings = {"COCK1", "COCK2", "NOTIFY", "WBEGIN",
                                                         "WEND"};

std::string upper(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

bool Win32Sound::play(const std::string& name) {
    const std::string resource = upper(name);
    bool known = false;
    for (std::string_view r : kRecordings)
        known = known || r == resource;
    if (!known) {
        log("no built-in sound is named \"" + name + "\"");
        return false;
    }
    const std::wstring wide(resource.begin(), resource.end());  // plain ASCII
    if (!calls_.playSound(wide.c_str(), module_, kFlags)) {
        log("the sound " + resource + " could not be played");
        return false;
    }
    return true;
}

void Win32Sound::log(const std::string& message) const {
    if (hooks_.log)
        hooks_.log(message);
}

std::wstring userLocaleLanguage(const Win32Calls& calls) {
    // First the length (with the closing zero), then the text.
    const int length = calls.getLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, nullptr, 0);
    if (length <= 0)
        return {};
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    const int written =
        calls.getLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, text.data(), length);
    if (written <= 0)
        return {};
    return std::wstring(text.data());  // up to the first zero
}

}  // namespace klangor
