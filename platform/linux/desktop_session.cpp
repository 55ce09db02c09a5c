// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/desktop_session.h"

#include <QStringList>

namespace klangor {

DesktopSession DesktopSession::from(const QString& currentDesktop, const QString& sessionType,
                                    const QString& waylandDisplay) {
    DesktopSession s;
    // A colon-separated list, most specific first: "ubuntu:GNOME", "KDE".
    for (const QString& name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        s.gnome |= name.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0;
        s.kde |= name.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0;
    }
    s.wayland = sessionType == QLatin1String("wayland") || !waylandDisplay.isEmpty();
    return s;
}

DesktopSession DesktopSession::current() {
    return from(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("WAYLAND_DISPLAY"));
}

}  // namespace klangor
