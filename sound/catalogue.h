// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

namespace klangor {

/// The built-in recordings in the order of the sound lists: a list's item index picks one.
inline constexpr std::array<const char*, 5> kSoundCatalogue = {"cock1", "cock2", "notify", "wbegin",
                                                               "wend"};

/// The recording that a sound list index names, or an empty string for silence (the lists'
/// "Quiet" entry 5, no selection -1, and anything else outside the catalogue).
QString soundForIndex(int index);

}  // namespace klangor
