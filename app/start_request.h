// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/command_line.h"

class TForm1;

namespace klangor {

/// Sets the work of `r` in the shown window the way a user would set it: the note, then the
/// action list, then the alarm time and Start (--at) or the delay panel's boxes and its tick
/// (--in), then Repeater Start. Nothing of it is a saved setting.
void applyStartRequest(TForm1& form, const StartRequest& r);

}  // namespace klangor
