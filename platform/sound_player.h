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
};

}  // namespace klangor
