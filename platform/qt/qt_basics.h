// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The platform operations that Qt carries out the same way on every system.

#include "platform/clock.h"
#include "platform/file_chooser.h"
#include "platform/locale_info.h"
#include "platform/sleeper.h"
#include "platform/window_ops.h"

#include <functional>

class QWindow;

namespace klangor {

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

class ThreadSleeper final : public Sleeper {
public:
    void sleepMs(int ms) override;
};

/// What differs between window managers when a window comes back.
struct WindowManagerWays {
    /// Whether the window manager keeps `window`, minimised, mapped on the screen (GNOME's Mutter
    /// does, for X11 windows), so that the usual map request does not restore it. Null: never.
    std::function<bool(QWindow* window)> keepsMinimisedMapped;
    /// Asking for attention makes the desktop put up a notification of its own (GNOME Shell's
    /// "... is ready"), which would stand in front of the program's own notification.
    bool attentionIsANotification = false;
};

class QtWindowOps final : public WindowOps {
public:
    explicit QtWindowOps(WindowManagerWays ways = {}) : ways_(std::move(ways)) {}
    void minimize(QWidget* window) override;
    bool isMinimized(const QWidget* window) const override;
    void restoreAndRaise(QWidget* window) override;
    void showWithoutFocus(QWidget* window) override;
    void placeCentred(QWidget* window) override;

private:
    WindowManagerWays ways_;
};

class QtLocaleInfo final : public LocaleInfo {
public:
    QString languageName() const override;
};

class QtFileChooser final : public FileChooser {
public:
    std::optional<QString> chooseFile(QWidget* parent, const QString& folder) override;
};

}  // namespace klangor
