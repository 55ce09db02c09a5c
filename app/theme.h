// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace klangor {

/// Applies the named visual theme that the program carries. A theme that cannot be loaded is
/// reported in an error dialog and the program goes on with the plain look.
bool applyTheme(const QString& name);

/// The installed font family closest to `wanted` (the forms ask for Tahoma and Arial, which a
/// Linux desktop rarely has).
QString installedFamily(const QString& wanted);

}  // namespace klangor
