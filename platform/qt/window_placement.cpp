// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/window_placement.h"

#include <algorithm>

namespace klangor {

namespace {

// One axis: the start of a span of `length` centred in [start, start + room), kept inside it.
int centredStart(int start, int room, int length) {
    const int centred = start + (room - length) / 2;
    return std::max(start, std::min(centred, start + room - length));
}

}  // namespace

QPoint centredFramePosition(const QRect& available, const QSize& frame) {
    return {centredStart(available.x(), available.width(), frame.width()),
            centredStart(available.y(), available.height(), frame.height())};
}

}  // namespace klangor
