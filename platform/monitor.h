// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace klangor {

/// Switches the monitor off (power saving); any input switches it back on.
class Monitor {
public:
    virtual ~Monitor() = default;
    /// `done` (if given) is called with whether some mechanism accepted the request. Failures
    /// are logged, never shown.
    virtual void switchOff(std::function<void(bool ok)> done = {}) = 0;
};

}  // namespace klangor
