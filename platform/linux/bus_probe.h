// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <string>

namespace klangor {

enum class BusProbe {
    Answered,   ///< the bus answered a client's greeting, its "Hello" included
    NotProbed,  ///< nothing to probe (no socket there, or a transport we do not speak)
    Stopped,    ///< `stop` was set before the bus answered
};

/// Waits, for as long as it takes, until the bus at a D-Bus address list (for example
/// "unix:path=/run/dbus/system_bus_socket") has answered a client's whole greeting: the
/// authentication and then the "Hello" that every client sends first. A bus may stall
/// half-way, after the authentication; the D-Bus library would then wait for "Hello" for ever.
///
/// Qt connects to every bus on one thread of its own and waits there without limit for a
/// silent bus, which holds up the traffic of every other bus of the process meanwhile. This
/// waits on a plain socket instead, so Qt is only asked once the bus is known to be alive.
/// Addresses are tried in order, as the D-Bus library does: the first Unix socket that accepts
/// the connection is the one waited for. Checks `stop` at least five times a second.
BusProbe waitForBus(const std::string& addresses, const std::atomic<bool>& stop);

/// The system bus's address list: $DBUS_SYSTEM_BUS_ADDRESS, or the well-known socket.
std::string systemBusAddresses();

/// The session bus's address list: $DBUS_SESSION_BUS_ADDRESS, or the user's bus in
/// $XDG_RUNTIME_DIR; empty when neither is there (the library is then left to find one).
std::string sessionBusAddresses();

}  // namespace klangor
