// SPDX-License-Identifier: GPL-3.0-or-later
// Whether some client holds the pointer or the keyboard grabbed, as a window manager does while
// it moves a window: tries to grab both itself and prints "free", or what it found grabbed.
// Exits 0 when both were free.

#include <X11/Xlib.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "grab_probe: cannot open the X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    const int pointer = XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync,
                                     GrabModeAsync, None, None, CurrentTime);
    if (pointer == GrabSuccess)
        XUngrabPointer(display, CurrentTime);
    const int keyboard =
        XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (keyboard == GrabSuccess)
        XUngrabKeyboard(display, CurrentTime);
    XCloseDisplay(display);
    if (pointer == GrabSuccess && keyboard == GrabSuccess) {
        std::puts("free");
        return 0;
    }
    std::printf("grabbed:%s%s\n", pointer == GrabSuccess ? "" : " pointer",
                keyboard == GrabSuccess ? "" : " keyboard");
    return 1;
}
