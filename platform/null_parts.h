// SPDX-License-Identifier: GPL-3.0-or-later
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
    int notifyWithAction(const QString& title, const QString& body, const QString&,
                         std::function<void()>, const NoticeTerms&) override {
        notify(title, body);
        return 0;
    }
    void withdraw(int) override {}
};

}  // namespace klangor
