// SPDX-License-Identifier: GPL-3.0-or-later
// What the X server says of one of the program's windows. X headers come last: they define
// macros (None, Bool, Status) that clash with Qt's.
#include "platform/linux/x11_window.h"

#include <QGuiApplication>
#include <QWindow>

#ifdef KLANGOR_HAVE_XEXT
#include <X11/Xlib.h>
#endif

namespace klangor {

bool x11WindowIsMapped(QWindow* window) {
#ifdef KLANGOR_HAVE_XEXT
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display || !window)
        return false;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, static_cast<::Window>(window->winId()), &attributes))
        return false;
    // Mapped by the program and not unmapped by the window manager; its frame may be hidden.
    return attributes.map_state != IsUnmapped;
#else
    Q_UNUSED(window);
    return false;
#endif
}

}  // namespace klangor
