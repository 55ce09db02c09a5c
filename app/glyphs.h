// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace klangor {

/// The small pictures on the program's buttons, 16 x 16.
enum class Glyph { DownTriangle, Play, Tick, Cross };

QIcon glyph(Glyph which);

/// The program's icon (a rooster's head), in every size a desktop asks for.
QIcon appIcon();

}  // namespace klangor
