// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/sound_player.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

namespace klangor {

/// Plays the built-in recordings, carried as Qt resources under :/sounds/<name>.wav, through the
/// sound server's own client library on a thread of its own. play() only posts the request
/// there and returns: the sound comes out even while the calling (user-interface) thread
/// sleeps, and nothing ever waits for a sound to end, with or without a sound server. A
/// connection that died (the server ended or was restarted) is noticed, logged and made anew
/// before the next sound, and by prepare().
class QtSoundPlayer final : public SoundPlayer {
public:
    /// Starts nothing and reads nothing yet: the sound thread starts with the first play, and
    /// each recording is read when it is first played and then stays cached.
    QtSoundPlayer() = default;
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    void play(const QString& name) override;
    void prepare() override;

    /// Sound threads of any player given up on while stuck in the sound server and not ended
    /// since. The sound server's library must not be cleaned up while one runs.
    static int threadsLeftBehind();

private:
    class Engine;
    static QString sourceOf(const QString& name);
    void startEngine();
    // Posts `work` to the sound thread, counting it.
    void post(std::function<void(Engine*)> work);
    // Whether the sound thread has left work unanswered for too long.
    bool engineStuck() const;
    // Gives up a sound thread that does not answer (stuck in a stalled sound server): it is left
    // to itself, never waited for, and the next sound gets a new one.
    void abandonEngine();

    QThread* thread_ = nullptr;
    Engine* engine_ = nullptr;  // lives in thread_
    // Plays posted to the engine and plays it has got through: equal while it keeps up.
    std::shared_ptr<std::atomic<int>> done_;
    int posted_ = 0;
    qint64 postedAtMs_ = 0;  // when the oldest unanswered play was posted
};

}  // namespace klangor
