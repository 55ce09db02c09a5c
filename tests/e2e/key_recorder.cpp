// SPDX-License-Identifier: GPL-3.0-or-later
// A second program on the test desktop: one plain X window that the user types into. It writes
// the name of every key pressed in it to stdout, one per line, and "focused" / "unfocused"
// when it gains or loses the keyboard focus, so that a scenario can check that every key typed
// while Klangor rang reached this program and none went to Klangor.
//
//   key_recorder TITLE
//
// Prints "ready <window id>" once the window is mapped.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

int main(int argc, char** argv) {
    const char* title = argc > 1 ? argv[1] : "key-recorder";
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "key_recorder: cannot open the X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 600, 100, 400, 300, 1,
                            BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, title);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display, window, &hints);
    XSelectInput(display, window, KeyPressMask | FocusChangeMask | StructureNotifyMask);
    XMapWindow(display, window);

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
            case MapNotify:
                std::printf("ready 0x%lx\n", window);
                break;
            case FocusIn:
                std::printf("focused\n");
                break;
            case FocusOut:
                std::printf("unfocused\n");
                break;
            case KeyPress: {
                char text[8];
                KeySym sym = NoSymbol;
                XLookupString(&event.xkey, text, sizeof text, &sym, nullptr);
                const char* name = XKeysymToString(sym);
                std::printf("key %s\n", name ? name : "?");
                break;
            }
            default:
                break;
        }
        std::fflush(stdout);
    }
}
