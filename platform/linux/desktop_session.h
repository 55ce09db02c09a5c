// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace klangor {

/// The desktop the program runs in, as the session announces it (XDG_CURRENT_DESKTOP,
/// XDG_SESSION_TYPE, WAYLAND_DISPLAY). Locking and switching the screen off go the session's
/// own way, not through whatever happens to be installed.
struct DesktopSession {
    bool gnome = false;    // GNOME Shell (also "ubuntu:GNOME" and the like)
    bool kde = false;      // KDE Plasma (KWin)
    bool wayland = false;  // a Wayland session (the program may still show through Xwayland)

    static DesktopSession current();
    /// The session described by those three variables' values.
    static DesktopSession from(const QString& currentDesktop, const QString& sessionType,
                               const QString& waylandDisplay);
};

}  // namespace klangor
