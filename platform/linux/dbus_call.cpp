// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/dbus_call.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusPendingCallWatcher>

namespace klangor {

void callAsync(const QDBusConnection& bus, const QDBusMessage& message, int timeoutMs,
               std::function<void(const QDBusMessage& reply)> onReply) {
    if (!bus.isConnected()) {
        // WORKAROUND: Qt 6.4 hands back an empty pending call for a bus it could not reach, and
        // a watcher on that never finishes. Answer with the error from the event loop, as a real
        // reply would come: the caller hears back later, never from inside its own call.
        const QString why = bus.lastError().isValid() ? bus.lastError().message()
                                                      : QStringLiteral("no bus connection");
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [why, onReply = std::move(onReply)] {
                if (onReply)
                    onReply(QDBusMessage::createError(QDBusError::Disconnected, why));
            },
            Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, timeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, onReply = std::move(onReply)] {
                         watcher->deleteLater();
                         if (onReply)
                             onReply(watcher->reply());
                     });
}

bool isError(const QDBusMessage& reply) {
    return reply.type() != QDBusMessage::ReplyMessage;
}

QString describe(const QDBusMessage& reply) {
    if (!isError(reply))
        return QStringLiteral("ok");
    return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
}

}  // namespace klangor
