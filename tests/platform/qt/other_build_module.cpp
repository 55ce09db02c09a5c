// SPDX-License-Identifier: GPL-3.0-or-later
// A sound module of another build: everything of the real one but the build it belongs to.
#include "platform/qt/lazy_sound_player.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT const char klangor_sound_module_mark[] =
    KLANGOR_SOUND_MODULE_MARK KLANGOR_OTHER_BUILD_STAMP;

extern "C" Q_DECL_EXPORT const char* klangor_sound_module_build() {
    return KLANGOR_OTHER_BUILD_STAMP;
}

extern "C" Q_DECL_EXPORT void* klangor_create_sound_player() {
    return nullptr;
}
