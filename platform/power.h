// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace klangor {

/// What may follow an alarm. The numbers are the positions in the after-alarm action list.
enum class PowerAction { Lock = 1, Suspend = 2, Hibernate = 3, Reboot = 4, PowerOff = 5 };

/// Locks the session or changes the computer's power state. Plain C++ types, so that the
/// Windows layer implements it without Qt.
class Power {
public:
    /// Whether a request was accepted, and if not why, in the system's own words (UTF-8; empty
    /// where the system gives no reason).
    using Outcome = std::function<void(bool ok, const std::string& why)>;

    virtual ~Power() = default;
    /// Requests the action and returns at once; `done` (if given) is called later on the same
    /// thread with whether the request was accepted.
    virtual void request(PowerAction action, std::function<void(bool ok)> done = {}) = 0;
    /// The same request; `done` also hears the reason of a failure, where the system gives one.
    virtual void requestExplained(PowerAction action, Outcome done) {
        request(action, [done = std::move(done)](bool ok) {
            if (done)
                done(ok, {});
        });
    }
};

}  // namespace klangor
