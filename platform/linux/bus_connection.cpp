// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/bus_connection.h"

#include "platform/linux/bus_probe.h"
#include "platform/linux/dbus_call.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDeadlineTimer>
#include <QTimer>

#include <pthread.h>
#include <atomic>
#include <deque>
#include <thread>

namespace klangor {

namespace {

enum class State { Untouched, Connecting, Ready };

struct Waiter {
    std::function<void(QDBusConnection)> use;
    std::function<void(const QString&)> fail;
    QDeadlineTimer deadline;
};

struct Line {
    std::atomic<State> state{State::Untouched};
    // Made by the connecting thread before it says Ready, never destroyed: Qt's own connection
    // outlives the application.
    QDBusConnection* connection = nullptr;
    // Never destroyed: a thread still joinable at exit would abort the program.
    std::thread* thread = nullptr;
    // The window's thread only.
    std::deque<Waiter> waiting;
    QTimer* poll = nullptr;
};

Line lines[2];
std::atomic<bool> quitting{false};

Line& lineOf(BusKind bus) {
    return lines[bus == BusKind::System ? 1 : 0];
}

QString nameOf(BusKind bus) {
    return bus == BusKind::System ? QStringLiteral("system bus") : QStringLiteral("session bus");
}

// The application stops the waits as it goes away, and waits for a thread already in Qt's
// D-Bus code, which must not be torn down under it.
void joinConnectors() {
    quitting.store(true);
    for (Line& line : lines) {
        if (line.thread && line.thread->joinable())
            line.thread->join();
    }
}

void serve(BusKind bus) {
    Line& line = lineOf(bus);
    std::deque<Waiter> due;
    if (line.state.load() == State::Ready) {
        due.swap(line.waiting);
    } else {
        for (auto it = line.waiting.begin(); it != line.waiting.end();) {
            if (it->deadline.hasExpired()) {
                due.push_back(std::move(*it));
                it = line.waiting.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (line.waiting.empty() && line.poll) {
        line.poll->stop();
        line.poll->deleteLater();
        line.poll = nullptr;
    }
    // Called last: they may ask for the bus again.
    const bool ready = line.state.load() == State::Ready;
    for (Waiter& w : due) {
        if (ready && w.use)
            w.use(*line.connection);
        else if (!ready && w.fail)
            w.fail(QStringLiteral("the %1 did not answer").arg(nameOf(bus)));
    }
}

}  // namespace

void connectSoon(BusKind bus) {
    Line& line = lineOf(bus);
    State expected = State::Untouched;
    if (!line.state.compare_exchange_strong(expected, State::Connecting))
        return;
    // No logging on that thread: it may still run when the program is being torn down.
    line.thread = new std::thread([bus, &line] {
        pthread_setname_np(pthread_self(),
                           bus == BusKind::System ? "klangor bus" : "klangor session");
        const std::string addresses =
            bus == BusKind::System ? systemBusAddresses() : sessionBusAddresses();
        if (waitForBus(addresses, quitting) == BusProbe::Stopped)
            return;
        line.connection = new QDBusConnection(
            bus == BusKind::System ? QDBusConnection::systemBus() : QDBusConnection::sessionBus());
        line.state.store(State::Ready);
    });
    static const bool joinsAtExit = [] {
        qAddPostRoutine(joinConnectors);
        return true;
    }();
    Q_UNUSED(joinsAtExit);
}

void withBus(BusKind bus, int timeoutMs, std::function<void(QDBusConnection)> use,
             std::function<void(const QString& why)> fail) {
    connectSoon(bus);
    Line& line = lineOf(bus);
    if (line.state.load() == State::Ready && line.waiting.empty()) {
        if (use)
            use(*line.connection);
        return;
    }
    line.waiting.push_back(
        {std::move(use), std::move(fail),
         timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs)});
    if (!line.poll) {
        // Polls on the window's own event loop until the bus is there or the time is up.
        line.poll = new QTimer(QCoreApplication::instance());
        line.poll->setInterval(20);
        QObject::connect(line.poll, &QTimer::timeout, line.poll, [bus] { serve(bus); });
        line.poll->start();
    }
}

void callOnBus(BusKind bus, const QDBusMessage& message, int timeoutMs,
               std::function<void(const QDBusMessage& reply)> onReply) {
    withBus(
        bus, timeoutMs,
        [message, timeoutMs, onReply](QDBusConnection connection) {
            callAsync(connection, message, timeoutMs, onReply);
        },
        [onReply](const QString& why) {
            if (onReply)
                onReply(QDBusMessage::createError(QDBusError::Timeout, why));
        });
}

}  // namespace klangor
