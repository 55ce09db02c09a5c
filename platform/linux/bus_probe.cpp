// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/bus_probe.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
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

/// Waits until `fd` has something to read, checking `stop` meanwhile: false once stopped.
bool awaitReadable(int fd, const std::atomic<bool>& stop) {
    while (!stop.load()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) > 0)
            return true;  // data, or the bus closing
    }
    return false;
}

bool sendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n =
            ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        if (n > 0)
            sent += static_cast<size_t>(n);
        else if (n < 0 && errno == EAGAIN)
            ::poll(nullptr, 0, 10);
    }
    return true;
}

/// The bus's "Hello", the first message every client sends once authenticated, in the wire
/// format: a little-endian method call with four header fields and no body.
std::string helloMessage() {
    std::string m;
    auto align = [&m](size_t n) { m.resize((m.size() + n - 1) / n * n, '\0'); };
    auto u32 = [&m, &align](uint32_t v) {
        align(4);
        for (int i = 0; i < 4; ++i)
            m += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    m += "l";
    m += '\1';  // a method call
    m += '\0';  // no flags
    m += '\1';  // protocol version
    u32(0);     // body length
    u32(1);     // serial
    const size_t lengthAt = m.size();
    u32(0);  // header fields' length, written below
    align(8);
    const size_t fieldsFrom = m.size();
    auto field = [&](char code, char type, const std::string& value) {
        align(8);
        m += code;
        m += '\1';
        m += type;
        m += '\0';
        u32(static_cast<uint32_t>(value.size()));
        m += value;
        m += '\0';
    };
    field(1, 'o', "/org/freedesktop/DBus");  // path
    field(2, 's', "org.freedesktop.DBus");   // interface
    field(3, 's', "Hello");                  // member
    field(6, 's', "org.freedesktop.DBus");   // destination
    const auto length = static_cast<uint32_t>(m.size() - fieldsFrom);
    for (int i = 0; i < 4; ++i)
        m[lengthAt + i] = static_cast<char>((length >> (8 * i)) & 0xff);
    align(8);
    return m;
}

/// Goes through a client's greeting on a connected socket up to the bus's answer to "Hello",
/// which is where the D-Bus library waits without limit when a bus stalls half-way.
BusProbe awaitAnswer(int fd, const std::atomic<bool>& stop) {
    // A nul byte, then the EXTERNAL authentication, as every client sends.
    std::string hexUid;
    for (const char c : std::to_string(::getuid())) {
        static const char digits[] = "0123456789abcdef";
        hexUid += digits[(c >> 4) & 0xf];
        hexUid += digits[c & 0xf];
    }
    const std::string auth = std::string(1, '\0') + "AUTH EXTERNAL " + hexUid + "\r\n";
    if (!sendAll(fd, auth))
        return BusProbe::Answered;  // the bus hung up: let the D-Bus library find out why
    std::string line;
    while (line.find("\r\n") == std::string::npos) {
        if (!awaitReadable(fd, stop))
            return BusProbe::Stopped;
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR) || line.size() > 4096)
            return BusProbe::Answered;  // closed or nonsense: the library will say why
        if (n > 0)
            line.append(buffer, static_cast<size_t>(n));
    }
    // Anything but acceptance (another mechanism wanted, a refusal) is for the library to
    // settle; it answered, at least.
    if (line.compare(0, 3, "OK ") != 0)
        return BusProbe::Answered;
    if (!sendAll(fd, "BEGIN\r\n" + helloMessage()))
        return BusProbe::Answered;
    return awaitReadable(fd, stop) ? BusProbe::Answered : BusProbe::Stopped;
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

std::string sessionBusAddresses() {
    const char* fromEnvironment = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    // Where the D-Bus library looks next: the user's bus in the runtime folder.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return {};
    std::string address = "unix:path=";
    for (const char c : std::string(runtime) + "/bus") {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '-' ||
                           c == '_' || c == '.';
        if (plain) {
            address += c;
        } else {
            static const char digits[] = "0123456789abcdef";
            address += '%';
            address += digits[(static_cast<unsigned char>(c) >> 4) & 0xf];
            address += digits[static_cast<unsigned char>(c) & 0xf];
        }
    }
    return address;
}

}  // namespace klangor
