// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

namespace klangor {

/// The local wall clock. Timers are only heartbeats: every decision asks the clock.
class Clock {
public:
    virtual ~Clock() = default;
    /// The current local date and time, to the millisecond.
    virtual QDateTime now() const = 0;
};

}  // namespace klangor
