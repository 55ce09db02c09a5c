// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/power.h"

namespace klangor {

/// Power actions through the login manager (org.freedesktop.login1) on the system bus, and the
/// lock with the desktop's screen saver service as a fallback. Every call is asynchronous: a
/// missing or slow service never holds up the window.
class LogindPower final : public Power {
public:
    /// `timeoutMs` bounds each D-Bus call; `done` hears false at the latest after a few of them.
    explicit LogindPower(int timeoutMs = 10000) : timeoutMs_(timeoutMs) {}

    void request(PowerAction action, std::function<void(bool ok)> done = {}) override;
    void requestExplained(PowerAction action, Outcome done) override;

private:
    int timeoutMs_;
};

}  // namespace klangor
