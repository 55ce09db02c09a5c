// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting for a bus to answer before Qt is asked to connect to it: a live bus (a real
// dbus-daemon), sockets that accept a connection and never answer, one that answers the
// authentication and then stalls, and addresses with nothing to probe.

#include "platform/linux/bus_probe.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace klangor;

Q_DECLARE_METATYPE(klangor::BusProbe)

namespace {

/// A listening socket that nobody ever accepts from or answers on: a stopped bus.
int silentListener(const QByteArray& name, bool abstract) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + (abstract ? 1 : 0), name.constData(), name.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) + name.size());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

/// A bus that accepts every client's authentication and then never says another word, not
/// even to "Hello": a bus stalled half-way through a client's greeting.
class HalfAnsweringBus {
public:
    explicit HalfAnsweringBus(const QByteArray& path) : listener_(silentListener(path, false)) {
        if (listener_ >= 0)
            thread_ = std::thread([this] { serve(); });
    }
    ~HalfAnsweringBus() {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
        for (const int fd : clients_)
            ::close(fd);
        if (listener_ >= 0)
            ::close(listener_);
    }
    bool listening() const { return listener_ >= 0; }

private:
    void serve() {
        std::vector<pollfd> fds;
        std::vector<std::string> lines;
        while (!stop_.load()) {
            fds.assign(1, pollfd{listener_, POLLIN, 0});
            for (const int fd : clients_)
                fds.push_back(pollfd{fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 100) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                clients_.push_back(::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC));
                lines.emplace_back();
            }
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!(fds[i].revents & POLLIN))
                    continue;
                char buffer[512];
                const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n <= 0)
                    continue;
                std::string& line = lines[i - 1];
                const bool answered = line.find('\n') != std::string::npos;
                line.append(buffer, static_cast<size_t>(n));
                if (!answered && line.find('\n') != std::string::npos) {
                    const char ok[] = "OK 0123456789abcdef0123456789abcdef\r\n";
                    [[maybe_unused]] auto sent = ::send(fds[i].fd, ok, sizeof ok - 1, 0);
                }
            }
        }
    }

    int listener_;
    std::vector<int> clients_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

class TestBusProbe : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QProcess daemon_;
    QList<int> listeners_;
    std::unique_ptr<HalfAnsweringBus> halfAnswering_;

    QString at(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        // A real bus whose socket name needs escaping in an address (the comma).
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--address=unix:path=") + at("live%2cbus")});
        QVERIFY2(daemon_.waitForStarted(5000), "no dbus-daemon (tools/install-deps.sh)");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(at("live,bus")), 10000);

        const QByteArray abstractName = QFile::encodeName(at("silent-abstract"));
        for (const auto& [name, abstract] :
             {std::pair{QFile::encodeName(at("silent")), false}, std::pair{abstractName, true}}) {
            const int fd = silentListener(name, abstract);
            QVERIFY2(fd >= 0, std::strerror(errno));
            listeners_ << fd;
        }
        halfAnswering_ = std::make_unique<HalfAnsweringBus>(QFile::encodeName(at("half")));
        QVERIFY(halfAnswering_->listening());
    }

    void cleanupTestCase() {
        for (const int fd : std::as_const(listeners_))
            ::close(fd);
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }

    void waits_data() {
        QTest::addColumn<QString>("addresses");
        QTest::addColumn<BusProbe>("expected");

        const QString live = QStringLiteral("unix:path=") + at("live%2cbus");
        QTest::newRow("a live bus") << live << BusProbe::Answered;
        QTest::newRow("nothing at the first address, a live bus at the second")
            << QStringLiteral("unix:path=%1;%2").arg(at("none"), live) << BusProbe::Answered;
        QTest::newRow("a bus that never answers")
            << QStringLiteral("unix:path=") + at("silent") << BusProbe::Stopped;
        QTest::newRow("a bus that stalls after the authentication, before Hello")
            << QStringLiteral("unix:path=") + at("half") << BusProbe::Stopped;
        QTest::newRow("an abstract socket that never answers")
            << QStringLiteral("unix:abstract=") + at("silent-abstract") << BusProbe::Stopped;
        QTest::newRow("the first address that accepts is the one waited for")
            << QStringLiteral("unix:path=%1;%2").arg(at("silent"), live) << BusProbe::Stopped;
        QTest::newRow("nothing there")
            << QStringLiteral("unix:path=") + at("none") << BusProbe::NotProbed;
        QTest::newRow("a transport left to the D-Bus library")
            << QStringLiteral("tcp:host=localhost,port=1;") + live << BusProbe::NotProbed;
        QTest::newRow("a broken escape")
            << QStringLiteral("unix:path=/run/bus%2") << BusProbe::NotProbed;
        QTest::newRow("empty") << QString() << BusProbe::NotProbed;
    }

    void waits() {
        QFETCH(QString, addresses);
        QFETCH(BusProbe, expected);
        std::atomic<bool> stop{false};
        auto result = std::async(std::launch::async,
                                 [&] { return waitForBus(addresses.toStdString(), stop); });
        // A bus that answers, or nothing to wait for, is known well within a second; a silent
        // one is still waited for then, and the wait ends soon after it is stopped.
        const bool waiting =
            result.wait_for(std::chrono::seconds(1)) == std::future_status::timeout;
        QCOMPARE(waiting, expected == BusProbe::Stopped);
        stop.store(true);
        QVERIFY(result.wait_for(std::chrono::seconds(2)) == std::future_status::ready);
        QCOMPARE(result.get(), expected);
    }
};

QTEST_GUILESS_MAIN(TestBusProbe)
#include "test_bus_probe.moc"
