// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace klangor {

/// Plays the program's built-in recordings, one at a time.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    /// Starts the named recording ("cock1", "notify", ..., case-insensitive) and returns at once.
    /// A sound still playing is cut off. Unknown names and failures are logged, never reported.
    virtual void play(const QString& name) = 0;
    /// Called shortly before a sound is due (the last minute or so before an alarm or a
    /// warning): whatever the first play would otherwise have to load is loaded now, so that it
    /// starts on time. Called again and again; only the first call may take time.
    virtual void prepare() {}
};

}  // namespace klangor
