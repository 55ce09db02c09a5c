// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace klangor {

/// What the program sets up right after QApplication is made, before any window: its names
/// (they place the settings and name the desktop entry) and its theme.
void setUpApplication();

}  // namespace klangor
