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
    /// Lets the window follow the mouse as if its title bar had been grabbed.
    virtual void startDrag(QWidget* window) = 0;
};

}  // namespace klangor
