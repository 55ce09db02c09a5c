// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/notifier.h"

#include <QObject>

#include <map>

namespace klangor {

/// Desktop notifications through org.freedesktop.Notifications on the session bus. Posts and
/// returns at once; no notification service means no notification (logged, not shown). Every
/// notification carries the program's icon.
class DBusNotifier final : public QObject, public Notifier {
    Q_OBJECT
public:
    DBusNotifier();

    void notify(const QString& title, const QString& body) override;
    int notifyWithAction(const QString& title, const QString& body, const QString& actionLabel,
                         std::function<void()> onAction, const NoticeTerms& terms) override;
    void withdraw(int id) override;

private slots:
    void onActionInvoked(uint serverId, const QString& actionKey);
    void onClosed(uint serverId, uint reason);

private:
    struct Shown {
        uint serverId = 0;       // the service's number, 0 until it answered
        bool withdrawn = false;  // withdrawn before the service answered
        std::function<void()> onAction;
    };
    void post(const QString& title, const QString& body, const QStringList& actions, int id,
              const NoticeTerms& terms = {});
    void close(uint serverId);
    void press(Shown& shown);

    std::map<int, Shown> shown_;  // by the number notifyWithAction() gave out
    int lastId_ = 0;
};

}  // namespace klangor
