// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/system_parts.h"

namespace klangor {

void Win32SoundPlayer::play(const QString& name) {
    sound_.play(name.toStdString());
}

QString Win32LocaleInfo::languageName() const {
    return QString::fromStdWString(userLocaleLanguage(calls_));
}

}  // namespace klangor
