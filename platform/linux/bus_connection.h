// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>

#include <functional>

namespace klangor {

enum class BusKind { Session, System };

/// The program's connections to the session and the system bus.
///
/// Qt connects to every bus on one thread of its own, waits there without limit for a bus that
/// does not answer, and meanwhile holds every caller that asks it for any bus. So each bus is
/// connected on a thread of ours, and Qt is asked only once the bus has answered a client's
/// greeting (bus_probe.h). The window's thread never asks Qt for a bus: it gets the connection
/// that thread made.
///
/// Calls `use` from the event loop with the bus's connection once it is there (not connected
/// when there is no such bus), or `fail` once `timeoutMs` passed without it (a negative time:
/// no limit). Starts connecting on the first call. Never waits, never calls back from inside.
void withBus(BusKind bus, int timeoutMs, std::function<void(QDBusConnection)> use,
             std::function<void(const QString& why)> fail);

/// Starts connecting to `bus` now, without waiting, so that it is ready when first needed.
void connectSoon(BusKind bus);

/// callAsync() on `bus` once it is there. A bus that does not answer within `timeoutMs` is
/// reported to `onReply` as an error reply.
void callOnBus(BusKind bus, const QDBusMessage& message, int timeoutMs,
               std::function<void(const QDBusMessage& reply)> onReply);

}  // namespace klangor
