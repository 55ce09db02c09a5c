// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <string>

namespace klangor {

enum class BusProbe {
    Answered,   ///< the bus answered a client's greeting
    NotProbed,  ///< nothing to probe (no socket there, or a transport we do not speak)
    Stopped,    ///< `stop` was set before the bus answered
};

/// Waits, for as long as it takes, until the bus at a D-Bus address list (for example
/// "unix:path=/run/dbus/system_bus_socket") answers the first line of a client's greeting.
///
/// Qt connects to every bus on one thread of its own and waits there without limit for a
/// silent bus, which holds up the traffic of every other bus of the process meanwhile. This
/// waits on a plain socket instead, so Qt is only asked once the bus is known to be alive.
/// Addresses are tried in order, as the D-Bus library does: the first Unix socket that accepts
/// the connection is the one waited for. Checks `stop` at least five times a second.
BusProbe waitForBus(const std::string& addresses, const std::atomic<bool>& stop);

/// The system bus's address list: $DBUS_SYSTEM_BUS_ADDRESS, or the well-known socket.
std::string systemBusAddresses();

}  // namespace klangor
