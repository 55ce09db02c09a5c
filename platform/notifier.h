#pragma once

#include <QString>

namespace klangor {

/// Desktop notifications (a balloon or bubble outside the program's window).
class Notifier {
public:
    virtual ~Notifier() = default;
    /// Posts a notification and returns at once. No notification service means no notification.
    virtual void notify(const QString& title, const QString& body) = 0;
};

}  // namespace klangor
