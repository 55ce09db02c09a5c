// SPDX-License-Identifier: GPL-3.0-or-later
// The sound player as a module of its own. Qt Multimedia, and with it the sound server's client
// and the decoders, is loaded only when the program first needs a sound (see
// platform/qt/lazy_sound_player.h), so that a window that never rings does not carry it.

#include "platform/qt/lazy_sound_player.h"
#include "platform/qt/qt_sound_player.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT klangor::SoundPlayer* klangor_create_sound_player() {
    return new klangor::QtSoundPlayer;
}

// Which build the module belongs to: the program uses only a module of its own build, and finds
// this mark in the file before it loads it.
extern "C" Q_DECL_EXPORT const char klangor_sound_module_mark[] =
    KLANGOR_SOUND_MODULE_MARK KLANGOR_BUILD_STAMP;

extern "C" Q_DECL_EXPORT const char* klangor_sound_module_build() {
    return KLANGOR_BUILD_STAMP;
}

// How many of the module's sound threads are stuck in the sound server (see
// QtSoundPlayer::threadsLeftBehind()).
extern "C" Q_DECL_EXPORT int klangor_sound_threads_left_behind() {
    return klangor::QtSoundPlayer::threadsLeftBehind();
}
