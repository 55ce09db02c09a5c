// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/dbus_notifier.h"
#include "platform/logging.h"

#include "platform/linux/dbus_call.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QPointer>
#include <QVariantMap>

namespace klangor {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// The key of the one button a notification of ours may carry.
const QString kActionKey = QStringLiteral("stop");
constexpr int kTimeoutMs = 10000;

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

void logFailure(const QDBusMessage& reply, const char* what) {
    if (reply.errorName() == QDBusError::errorString(QDBusError::ServiceUnknown) ||
        reply.errorName() == QDBusError::errorString(QDBusError::Disconnected))
        qCDebug(lcNotify) << "no notification service:" << describe(reply);
    else
        qCWarning(lcNotify) << what << describe(reply);
}

}  // namespace

DBusNotifier::DBusNotifier() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(onClosed(uint, uint)));
}

void DBusNotifier::notify(const QString& title, const QString& body) {
    post(title, body, {}, 0);
}

int DBusNotifier::notifyWithAction(const QString& title, const QString& body,
                                   const QString& actionLabel, std::function<void()> onAction,
                                   const NoticeTerms& terms) {
    const int id = ++lastId_;
    shown_[id].onAction = std::move(onAction);
    // A service without buttons would show the label as text, or nothing: ask first.
    QPointer<DBusNotifier> self(this);
    callAsync(QDBusConnection::sessionBus(), call(QStringLiteral("GetCapabilities")), kTimeoutMs,
              [self, title, body, actionLabel, id, terms](const QDBusMessage& reply) {
                  if (!self)
                      return;
                  const bool buttons =
                      !isError(reply) && !reply.arguments().isEmpty() &&
                      reply.arguments().first().toStringList().contains(QStringLiteral("actions"));
                  if (!buttons)
                      qCDebug(lcNotify) << "the notification service shows no buttons";
                  self->post(title, body,
                             buttons ? QStringList{kActionKey, actionLabel} : QStringList{}, id,
                             terms);
              });
    return id;
}

void DBusNotifier::post(const QString& title, const QString& body, const QStringList& actions,
                        int id, const NoticeTerms& terms) {
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("klangor"));
    // Urgency 2 ("critical"): services keep it up until it is closed and put it before others.
    if (terms.urgent)
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
    auto msg = call(QStringLiteral("Notify"));
    msg << QStringLiteral("Klangor")  // app_name
        << 0u                         // replaces_id
        << QStringLiteral("klangor")  // app_icon: the program's icon in the icon theme
        << title                      // summary
        << body                       // body
        << actions                    // actions: key, label
        << hints                      // hints
        << terms.expireMs;            // expire_timeout: -1 is the server's default
    QPointer<DBusNotifier> self(this);
    callAsync(QDBusConnection::sessionBus(), msg, kTimeoutMs,
              [self, id](const QDBusMessage& reply) {
                  if (isError(reply)) {
                      logFailure(reply, "the notification was not shown:");
                      if (self) {
                          self->shown_.erase(id);
                          if (!self->awaitingAnswer())
                              self->earlyPresses_.clear();
                      }
                      return;
                  }
                  if (!self || id == 0)
                      return;
                  const auto it = self->shown_.find(id);
                  if (it == self->shown_.end() || reply.arguments().isEmpty())
                      return;
                  const uint serverId = reply.arguments().first().toUInt();
                  it->second.serverId = serverId;
                  auto& early = self->earlyPresses_;
                  const bool pressed = std::erase(early, serverId) > 0;
                  if (!self->awaitingAnswer())
                      early.clear();
                  if (it->second.withdrawn) {
                      self->close(serverId);
                      self->shown_.erase(it);
                  } else if (pressed) {
                      self->press(it->second);
                  }
              });
}

void DBusNotifier::withdraw(int id) {
    const auto it = shown_.find(id);
    if (it == shown_.end())
        return;
    if (it->second.serverId == 0) {
        // Not answered yet: closed as soon as the service says which it is.
        it->second.withdrawn = true;
        it->second.onAction = nullptr;
        return;
    }
    close(it->second.serverId);
    shown_.erase(it);
}

void DBusNotifier::close(uint serverId) {
    auto msg = call(QStringLiteral("CloseNotification"));
    msg << serverId;
    callAsync(QDBusConnection::sessionBus(), msg, kTimeoutMs, [](const QDBusMessage& reply) {
        // A notification the user closed already is no longer there: nothing to report.
        if (isError(reply))
            qCDebug(lcNotify) << "the notification was not closed:" << describe(reply);
    });
}

void DBusNotifier::onActionInvoked(uint serverId, const QString& actionKey) {
    if (actionKey != kActionKey)
        return;
    for (auto& [id, shown] : shown_) {
        if (shown.serverId == serverId) {
            press(shown);
            return;
        }
    }
    // Perhaps ours, with its answer still on the way; a few at most, any service's.
    if (awaitingAnswer() && earlyPresses_.size() < 16)
        earlyPresses_.push_back(serverId);
}

void DBusNotifier::press(Shown& shown) {
    if (!shown.onAction)
        return;
    // Called once; the caller withdraws the notification as it would after any cancel.
    const std::function<void()> act = std::move(shown.onAction);
    shown.onAction = nullptr;
    act();
}

bool DBusNotifier::awaitingAnswer() const {
    for (const auto& [id, shown] : shown_) {
        if (shown.serverId == 0 && shown.onAction)
            return true;
    }
    return false;
}

void DBusNotifier::onClosed(uint serverId, uint) {
    for (auto it = shown_.begin(); it != shown_.end(); ++it) {
        if (it->second.serverId == serverId) {
            shown_.erase(it);
            return;
        }
    }
}

}  // namespace klangor
