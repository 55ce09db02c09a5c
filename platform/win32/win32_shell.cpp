// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32_shell.h"

#include <climits>
#include <cstdint>

namespace klangor {

bool utf8ToWide(const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty())
        return true;
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    const int size = static_cast<int>(text.size());
    const int needed =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (needed <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(needed));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(),
                                 needed) == needed;
}

bool Win32Shell::open(const std::string& target) {
    std::wstring file;
    if (target.empty() || !utf8ToWide(target, file) || file.find(L'\0') != std::wstring::npos) {
        if (hooks_.log)
            hooks_.log("the shell was given no usable file name");
        return false;
    }
    const HWND owner = hooks_.owner ? hooks_.owner() : nullptr;
    const HINSTANCE result =
        calls_.shellExecute(owner, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    const auto code = reinterpret_cast<std::intptr_t>(result);
    if (code <= 32) {
        if (hooks_.log)
            hooks_.log("the shell could not open " + target + " (error " + std::to_string(code) +
                       ")");
        return false;
    }
    return true;
}

}  // namespace klangor
