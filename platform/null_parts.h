#pragma once

#include "platform/logging.h"
#include "platform/notifier.h"

namespace klangor {

/// Notifications for a system without a notification service: each is written to the log.
class NullNotifier final : public Notifier {
public:
    void notify(const QString& title, const QString& body) override {
        qCInfo(lcNotify) << "no notification service:" << title << body;
    }
};

}  // namespace klangor
