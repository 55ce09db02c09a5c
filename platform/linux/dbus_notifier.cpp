#include "platform/linux/dbus_notifier.h"
#include "platform/logging.h"

#include "platform/linux/dbus_call.h"

#include <QDBusError>
#include <QVariantMap>

namespace klangor {

void DBusNotifier::notify(const QString& title, const QString& body) {
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    auto msg =
        QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                       service, QStringLiteral("Notify"));
    msg << QStringLiteral("Klangor")  // app_name
        << 0u                         // replaces_id
        << QString()                  // app_icon
        << title                      // summary
        << body                       // body
        << QStringList()              // actions
        << QVariantMap()              // hints
        << -1;                        // expire_timeout: the server's default
    callAsync(QDBusConnection::sessionBus(), msg, 10000, [](const QDBusMessage& reply) {
        if (!isError(reply))
            return;
        if (reply.errorName() == QDBusError::errorString(QDBusError::ServiceUnknown) ||
            reply.errorName() == QDBusError::errorString(QDBusError::Disconnected))
            qCDebug(lcNotify) << "no notification service:" << describe(reply);
        else
            qCWarning(lcNotify) << "the notification was not shown:" << describe(reply);
    });
}

}  // namespace klangor
