// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace klangor {

/// Blocks the calling (user-interface) thread; nothing else runs meanwhile.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int ms) = 0;
};

}  // namespace klangor
