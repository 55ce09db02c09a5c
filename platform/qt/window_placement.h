// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a window opens: in the middle of one screen's free area, never across its edges.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace klangor {

/// The top-left corner for a window frame of size `frame` centred in `available` (a screen's area
/// less its panels and docks). The frame is kept wholly inside the area; a frame larger than the
/// area keeps its top-left corner, with the title bar and the window menu, inside it.
QPoint centredFramePosition(const QRect& available, const QSize& frame);

}  // namespace klangor
