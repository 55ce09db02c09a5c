// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace klangor {

/// Window operations the window manager carries out.
class WindowOps {
public:
    virtual ~WindowOps() = default;
    /// Sends the window to the taskbar.
    virtual void minimize(QWidget* window) = 0;
    virtual bool isMinimized(const QWidget* window) const = 0;
    /// Restores a minimised (or shows a hidden) window and brings it to the front, and asks for
    /// the user's attention, without taking the keyboard focus from the program the user is in.
    /// A click or the task bar activates it as usual.
    virtual void restoreAndRaise(QWidget* window) = 0;
    /// Shows a hidden window (the screen-off prompt) on top without taking the keyboard focus
    /// from the program the user is in. A click activates it as usual.
    virtual void showWithoutFocus(QWidget* window) = 0;
    /// Moves the window, frame included, to the middle of the free area of the screen under the
    /// mouse pointer (or of the primary screen). Called as the window first shows; a frame the
    /// window manager adds a moment later is centred too.
    virtual void placeCentred(QWidget* window) = 0;
};

}  // namespace klangor
