// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace klangor {

/// How long a notification with a button stays, and how loudly it asks to be seen.
struct NoticeTerms {
    /// Milliseconds until the notification goes by itself; -1 leaves it to the service.
    int expireMs = -1;
    /// Announces something that ends the user's work (suspend, restart, power off): shown as
    /// urgent where the service knows urgency.
    bool urgent = false;
};

/// Desktop notifications (a balloon or bubble outside the program's window).
class Notifier {
public:
    virtual ~Notifier() = default;
    /// Posts a notification and returns at once. No notification service means no notification.
    virtual void notify(const QString& title, const QString& body) = 0;

    /// Posts a notification with one button, `actionLabel`; `onAction` is called later on the
    /// same thread when the user presses it. Where the service shows no buttons the text is
    /// shown alone. `terms` say how long it stays and how urgent it is. Returns at once, with a
    /// number for withdraw() (0: nothing to withdraw).
    virtual int notifyWithAction(const QString& title, const QString& body,
                                 const QString& actionLabel, std::function<void()> onAction,
                                 const NoticeTerms& terms) = 0;
    /// Takes back a notification of notifyWithAction() if it is still shown; its button no
    /// longer calls anything. Unknown or finished numbers are ignored.
    virtual void withdraw(int id) = 0;
};

}  // namespace klangor
