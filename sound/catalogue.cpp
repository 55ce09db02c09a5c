// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/catalogue.h"

namespace klangor {

QString soundForIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kSoundCatalogue.size()))
        return {};
    return QString::fromLatin1(kSoundCatalogue[static_cast<std::size_t>(index)]);
}

}  // namespace klangor
