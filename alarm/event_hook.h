// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QEvent;

namespace klangor::alarm {

/// An event filter that hands the watched object's events to a function; the function returns
/// true to swallow the event. Lets the window react to events its controls have no signal for.
class EventHook final : public QObject {
public:
    using Handler = std::function<bool(QObject* watched, QEvent* event)>;
    EventHook(QObject* parent, Handler handler) : QObject(parent), handler_(std::move(handler)) {}

    /// Installs a new hook, owned by `owner`, on every object in `watched`.
    template <typename List>
    static void install(QObject* owner, const List& watched, Handler handler) {
        auto* hook = new EventHook(owner, std::move(handler));
        for (QObject* w : watched)
            w->installEventFilter(hook);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return handler_(watched, event); }

private:
    Handler handler_;
};

}  // namespace klangor::alarm
