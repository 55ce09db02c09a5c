// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace klangor {

/// Opens a program, document or web address the way the desktop does. Plain C++ types, so
/// that the Windows layer implements it without Qt.
class Shell {
public:
    virtual ~Shell() = default;
    /// `target` is UTF-8: an absolute file path or an address with a scheme. An executable file
    /// is started directly (never through a command interpreter); anything else opens with the
    /// desktop's associated program. Returns false when the request could not be made.
    virtual bool open(const std::string& target) = 0;

    /// Called with the target and the opener's reason when the desktop's opener, after open()
    /// made the request, reports that it could not open it (no program for the file type, the
    /// program could not start). Where opening is one synchronous call, open() already says it.
    using LateFailure = std::function<void(const std::string& target, const std::string& reason)>;
    virtual void setLateFailureHandler(LateFailure) {}
};

}  // namespace klangor
