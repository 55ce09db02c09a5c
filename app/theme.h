#pragma once

#include <QString>

namespace klangor {

/// Applies the named visual theme that the program carries. A theme that cannot be loaded is
/// reported in an error dialog and the program goes on with the plain look.
bool applyTheme(const QString& name);

}  // namespace klangor
