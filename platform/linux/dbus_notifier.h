#pragma once

#include "platform/notifier.h"

namespace klangor {

/// Desktop notifications through org.freedesktop.Notifications on the session bus. Posts and
/// returns at once; no notification service means no notification (logged, not shown).
class DBusNotifier final : public Notifier {
public:
    void notify(const QString& title, const QString& body) override;
};

}  // namespace klangor
