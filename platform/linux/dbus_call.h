// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>

#include <functional>

namespace klangor {

/// Sends `message` on `bus` without waiting and calls `onReply` from the event loop with the
/// reply, or with an error message when the call failed, timed out or the bus is not there.
/// Never blocks: no introspection, no synchronous round trip.
void callAsync(const QDBusConnection& bus, const QDBusMessage& message, int timeoutMs,
               std::function<void(const QDBusMessage& reply)> onReply);

/// Whether `reply` is an error, and a short text saying which one.
bool isError(const QDBusMessage& reply);
QString describe(const QDBusMessage& reply);

}  // namespace klangor
