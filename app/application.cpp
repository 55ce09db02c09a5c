// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/theme.h"

#include <QApplication>

namespace klangor {

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Klangor"));
    // No application display name: Qt would append it to every window title, and the caption
    // must read exactly as the main window sets it.
    QApplication::setOrganizationName(QStringLiteral("Vostrel"));
    QApplication::setDesktopFileName(QStringLiteral("klangor"));
    applyTheme(QStringLiteral("Aqua Light Slate"));
}

}  // namespace klangor
