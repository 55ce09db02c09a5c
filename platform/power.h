#pragma once

#include <functional>

namespace klangor {

/// What may follow an alarm. The numbers are the positions in the after-alarm action list.
enum class PowerAction { Lock = 1, Suspend = 2, Hibernate = 3, Reboot = 4, PowerOff = 5 };

/// Locks the session or changes the computer's power state. Plain C++ types, so that the
/// Windows layer implements it without Qt.
class Power {
public:
    virtual ~Power() = default;
    /// Requests the action and returns at once; `done` (if given) is called later on the same
    /// thread with whether the request was accepted. Failures are logged, never shown.
    virtual void request(PowerAction action, std::function<void(bool ok)> done = {}) = 0;
};

}  // namespace klangor
