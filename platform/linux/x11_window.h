// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWindow;

namespace klangor {

/// Whether `window` (shown through the X11 platform) is mapped on the X server, whatever its
/// window manager shows of it. False where the program does not show through X11.
bool x11WindowIsMapped(QWindow* window);

}  // namespace klangor
