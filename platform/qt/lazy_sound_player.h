// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/sound_player.h"

#include <QStringList>

#include <memory>

/// The sound module carries this text followed by its build stamp, so that the program knows a
/// module of its own build before it loads it.
#define KLANGOR_SOUND_MODULE_MARK "klangor sound module of build "

namespace klangor {

/// The program's sound player, loaded from the sound module (klangor-sound) on first use:
/// prepare() or the first play(), whichever comes first. The module is looked for in each of the
/// given folders in turn. When none holds a usable one, that is logged once and every play is
/// silent; the program goes on.
class LazySoundPlayer final : public SoundPlayer {
public:
    explicit LazySoundPlayer(QStringList folders);
    ~LazySoundPlayer() override;

    void play(const QString& name) override;
    void prepare() override;

    /// True once the module is loaded and its player made.
    bool isLoaded() const { return player_ != nullptr; }

    /// The folders the program looks in: the module folder of its installation
    /// (<libdir>/klangor, found from the program's own folder), then the program's folder
    /// itself (a build tree).
    static QStringList defaultFolders();

    /// Whether a sound thread of the loaded module is stuck in the sound server, so that the
    /// end of the process must not run the sound server library's clean-up.
    static bool threadsLeftBehind();

private:
    SoundPlayer* load();

    QStringList folders_;
    std::unique_ptr<SoundPlayer> player_;
    bool failed_ = false;
};

}  // namespace klangor
