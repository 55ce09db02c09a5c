// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/dbus_notifier.h"
#include "platform/logging.h"

#include "platform/linux/bus_connection.h"
#include "platform/linux/dbus_call.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QPointer>
#include <QVariantMap>

namespace klangor {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// The button of a notification of ours carries a key no other notification has: its press
// names the notification by itself, also before the service has said which number it gave it.
QString actionKeyOf(int id) {
    return QStringLiteral("stop-%1-%2").arg(QCoreApplication::applicationPid()).arg(id);
}
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
    // Connected on a thread of its own: a session bus that stalls as the program starts holds
    // back the notifications, never the window.
    QPointer<DBusNotifier> self(this);
    withBus(
        BusKind::Session, -1,
        [self](QDBusConnection bus) {
            if (!self || !bus.isConnected())
                return;
            bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), self,
                        SLOT(onActionInvoked(uint, QString)));
            bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), self,
                        SLOT(onClosed(uint, uint)));
        },
        nullptr);
}

void DBusNotifier::notify(const QString& title, const QString& body) {
    post(title, body, {}, 0);
}

int DBusNotifier::notifyWithAction(const QString& title, const QString& body,
                                   const QString& actionLabel, std::function<void()> onAction,
                                   const NoticeTerms& terms) {
    const int id = ++lastId_;
    shown_[id].onAction = std::move(onAction);
    const QString key = actionKeyOf(id);
    // A service without buttons would show the label as text, or nothing: ask first.
    QPointer<DBusNotifier> self(this);
    callOnBus(BusKind::Session, call(QStringLiteral("GetCapabilities")), kTimeoutMs,
              [self, title, body, actionLabel, id, key, terms](const QDBusMessage& reply) {
                  if (!self)
                      return;
                  const bool buttons =
                      !isError(reply) && !reply.arguments().isEmpty() &&
                      reply.arguments().first().toStringList().contains(QStringLiteral("actions"));
                  if (!buttons)
                      qCDebug(lcNotify) << "the notification service shows no buttons";
                  self->post(title, body, buttons ? QStringList{key, actionLabel} : QStringList{},
                             id, terms);
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
    callOnBus(BusKind::Session, msg, kTimeoutMs, [self, id](const QDBusMessage& reply) {
        if (isError(reply)) {
            logFailure(reply, "the notification was not shown:");
            if (self)
                self->shown_.erase(id);
            return;
        }
        if (!self || id == 0)
            return;
        const auto it = self->shown_.find(id);
        if (it == self->shown_.end() || reply.arguments().isEmpty())
            return;
        const uint serverId = reply.arguments().first().toUInt();
        it->second.serverId = serverId;
        if (it->second.withdrawn) {
            self->close(serverId);
            self->shown_.erase(it);
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
    callOnBus(BusKind::Session, msg, kTimeoutMs, [](const QDBusMessage& reply) {
        // A notification the user closed already is no longer there: nothing to report.
        if (isError(reply))
            qCDebug(lcNotify) << "the notification was not closed:" << describe(reply);
    });
}

void DBusNotifier::onActionInvoked(uint, const QString& actionKey) {
    // Known by its key: a press counts at once, even while the service's answer to Notify,
    // and with it the notification's number, is still on the way.
    for (auto& [id, shown] : shown_) {
        if (actionKeyOf(id) == actionKey) {
            press(shown);
            return;
        }
    }
}

void DBusNotifier::press(Shown& shown) {
    if (!shown.onAction)
        return;
    // Called once; the caller withdraws the notification as it would after any cancel.
    const std::function<void()> act = std::move(shown.onAction);
    shown.onAction = nullptr;
    act();
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
