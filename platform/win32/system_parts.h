// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's sound player and locale lookup on Windows, over the plain Win32 calls of
// win32_sound.h.

#include "platform/locale_info.h"
#include "platform/sound_player.h"
#include "platform/win32/win32_sound.h"

namespace klangor {

/// Plays the recordings carried in the program file with the system's sound player; nothing to
/// load beforehand.
class Win32SoundPlayer final : public SoundPlayer {
public:
    explicit Win32SoundPlayer(Win32Sound sound = Win32Sound()) : sound_(std::move(sound)) {}

    void play(const QString& name) override;

private:
    Win32Sound sound_;
};

/// The English name of the user's default locale language, from the system.
class Win32LocaleInfo final : public LocaleInfo {
public:
    explicit Win32LocaleInfo(Win32Calls calls = systemWin32Calls()) : calls_(calls) {}

    QString languageName() const override;

private:
    Win32Calls calls_;
};

}  // namespace klangor
