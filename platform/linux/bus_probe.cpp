// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/bus_probe.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace klangor {

namespace {

constexpr int kSliceMs = 200;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// Undoes the %XX escapes of an address value; nullopt for a broken escape.
std::optional<std::string> unescape(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        if (i + 2 >= value.size())
            return std::nullopt;
        const int high = hexValue(value[i + 1]);
        const int low = hexValue(value[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

/// The socket address of a "unix:path=..." or "unix:abstract=..." entry; nullopt for any other.
std::optional<std::pair<sockaddr_un, socklen_t>> unixSocketOf(const std::string& entry) {
    static const std::string kUnix = "unix:";
    if (entry.compare(0, kUnix.size(), kUnix) != 0)
        return std::nullopt;
    for (const std::string& pair : split(entry.substr(kUnix.size()), ',')) {
        const size_t eq = pair.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = pair.substr(0, eq);
        if (key != "path" && key != "abstract")
            continue;
        const std::optional<std::string> name = unescape(pair.substr(eq + 1));
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const size_t offset = key == "abstract" ? 1 : 0;  // an abstract name starts with a nul
        if (!name || name->empty() || offset + name->size() >= sizeof addr.sun_path)
            return std::nullopt;
        std::memcpy(addr.sun_path + offset, name->data(), name->size());
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                                   name->size() + (offset ? 0 : 1));
        return std::make_pair(addr, length);
    }
    return std::nullopt;
}

enum class Reach { Connected, Busy, Refused };

Reach connectTo(int fd, const sockaddr_un& addr, socklen_t length) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), length) == 0)
        return Reach::Connected;
    // A full listening queue: the bus is not taking new clients yet.
    return errno == EAGAIN || errno == EINTR ? Reach::Busy : Reach::Refused;
}

/// Greets the bus on a connected socket and waits for any answer at all.
BusProbe awaitAnswer(int fd, const std::atomic<bool>& stop) {
    // A nul byte, then the first line of the EXTERNAL authentication, as every client sends.
    std::string hexUid;
    for (const char c : std::to_string(::getuid())) {
        static const char digits[] = "0123456789abcdef";
        hexUid += digits[(c >> 4) & 0xf];
        hexUid += digits[c & 0xf];
    }
    const std::string hello = std::string(1, '\0') + "AUTH EXTERNAL " + hexUid + "\r\n";
    if (::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0)
        return BusProbe::Answered;  // the bus hung up: let the D-Bus library find out why
    while (!stop.load()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) > 0)
            return BusProbe::Answered;  // a line, or the bus closing: either way it is awake
    }
    return BusProbe::Stopped;
}

}  // namespace

BusProbe waitForBus(const std::string& addresses, const std::atomic<bool>& stop) {
    for (const std::string& entry : split(addresses, ';')) {
        if (entry.empty())
            continue;
        const auto socket = unixSocketOf(entry);
        if (!socket)
            return BusProbe::NotProbed;  // the D-Bus library will use this one as it is
        while (true) {
            if (stop.load())
                return BusProbe::Stopped;
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0)
                return BusProbe::NotProbed;
            const Reach reach = connectTo(fd, socket->first, socket->second);
            if (reach == Reach::Connected) {
                const BusProbe result = awaitAnswer(fd, stop);
                ::close(fd);
                return result;
            }
            ::close(fd);
            if (reach == Reach::Refused)
                break;  // nothing listening there: the next address
            ::poll(nullptr, 0, kSliceMs);
        }
    }
    return BusProbe::NotProbed;
}

std::string systemBusAddresses() {
    const char* fromEnvironment = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return "unix:path=/var/run/dbus/system_bus_socket";
}

}  // namespace klangor
