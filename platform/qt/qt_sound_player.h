#pragma once

#include "platform/sound_player.h"

#include <QHash>
#include <QObject>
#include <QUrl>

class QSoundEffect;

namespace klangor {

/// Plays the built-in recordings, carried as Qt resources under :/sounds/<name>.wav, with
/// QSoundEffect. play() only starts the sound and never waits for anything, with or without a
/// sound server.
class QtSoundPlayer final : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    /// Reads nothing yet: the recordings are loaded once the first window is on screen, so that
    /// they do not slow the start, or by the first play, whichever comes first.
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& name) override;

    /// Loads every recording into the sample cache now (normally done shortly after start).
    void preload();

private:
    QUrl sourceOf(const QString& key) const;
    void keepCached(const QString& key, const QUrl& source);
    void preloadOnceShown(int triesLeft);

    QHash<QString, QSoundEffect*> idle_;  // one silent effect per recording holds its sample
    QSoundEffect* current_ = nullptr;     // the one that plays (or played last)
};

}  // namespace klangor
