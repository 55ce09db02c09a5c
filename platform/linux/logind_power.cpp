// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/logind_power.h"
#include "platform/logging.h"

#include "platform/linux/bus_connection.h"
#include "platform/linux/dbus_call.h"
#include "platform/linux/desktop_session.h"

#include <QCoreApplication>
#include <QDBusObjectPath>

namespace klangor {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
// logind's name for the caller's own session (or the user's display session).
const QString kAutoSession = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");

// Whether the request was accepted, and if not why (empty when it was).
using Done = std::function<void(bool ok, const QString& why)>;

// The first touch of the system bus connects to it and waits for its answer, for as long as a
// stalled bus takes, on a thread of its own (bus_connection.h); the window goes on, and a
// request waits for the connection at most its own time-out.
void withSystemBus(int timeoutMs, std::function<void(QDBusConnection)> use,
                   std::function<void(const QString& why)> fail) {
    withBus(
        BusKind::System, timeoutMs,
        [use](QDBusConnection bus) {
            if (!bus.isConnected())
                qCDebug(lcPower) << "no system bus";
            use(bus);
        },
        [timeoutMs, fail](const QString& why) {
            qCWarning(lcPower) << "the system bus did not answer within" << timeoutMs << "ms";
            fail(why);
        });
}

QDBusMessage sessionLock(const QString& path) {
    return QDBusMessage::createMethodCall(kLogin, path, kSession, QStringLiteral("Lock"));
}

/// The reason an error reply gives, in the service's words.
// Whether the call failed for want of an answer rather than by one.
bool isNoAnswer(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
           name == QLatin1String("org.freedesktop.DBus.Error.Timeout") ||
           name == QLatin1String("org.freedesktop.DBus.Error.TimedOut") ||
           name == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
}

QString reasonOf(const QDBusMessage& reply) {
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

struct ScreenSaverAt {
    QString service;
    QString path;
};

/// Where the session's own screen saver listens: GNOME's under its own name (GNOME Shell has no
/// org.freedesktop.ScreenSaver), the freedesktop one elsewhere, at its current and its older path.
QList<ScreenSaverAt> screenSavers() {
    if (DesktopSession::current().gnome)
        return {
            {QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver")}};
    return {{kScreenSaver, QStringLiteral("/org/freedesktop/ScreenSaver")},
            {kScreenSaver, QStringLiteral("/ScreenSaver")}};
}

/// Asks the session's screen saver on the session bus to lock, trying each place in turn.
/// `why` is the reason the lock failed so far, reported if no screen saver locks either.
void lockWithScreenSaver(int timeoutMs, Done done, const QString& why, int index = 0) {
    const QList<ScreenSaverAt> savers = screenSavers();
    if (index >= savers.size()) {
        qCWarning(lcPower) << "no screen saver service locked the session";
        done(false, why);
        return;
    }
    const ScreenSaverAt at = savers[index];
    const auto msg =
        QDBusMessage::createMethodCall(at.service, at.path, at.service, QStringLiteral("Lock"));
    callOnBus(BusKind::Session, msg, timeoutMs,
              [timeoutMs, done, why, index, at](const QDBusMessage& reply) {
                  if (!isError(reply)) {
                      qCDebug(lcPower) << "locked through" << at.service;
                      done(true, {});
                      return;
                  }
                  qCWarning(lcPower) << "screen saver lock through" << at.service << "at" << at.path
                                     << "failed:" << describe(reply);
                  lockWithScreenSaver(timeoutMs, done, why, index + 1);
              });
}

/// What `loginctl lock-session` does: the login manager tells the caller's session to lock.
/// Falls back to the screen saver when the login manager is absent or refuses.
void lockSessionOn(QDBusConnection bus, int timeoutMs, Done done) {
    auto lockAt = [bus, timeoutMs, done](const QString& path) {
        callAsync(bus, sessionLock(path), timeoutMs,
                  [timeoutMs, done, path](const QDBusMessage& reply) {
                      if (!isError(reply)) {
                          done(true, {});
                          return;
                      }
                      qCWarning(lcPower) << "the login manager did not lock" << path << ":"
                                         << describe(reply) << "- trying the screen saver";
                      lockWithScreenSaver(timeoutMs, done, reasonOf(reply));
                  });
    };
    auto find = QDBusMessage::createMethodCall(kLogin, kLoginPath, kManager,
                                               QStringLiteral("GetSessionByPID"));
    find << static_cast<uint>(QCoreApplication::applicationPid());
    callAsync(bus, find, timeoutMs, [lockAt](const QDBusMessage& reply) {
        const QVariantList args = reply.arguments();
        if (!isError(reply) && !args.isEmpty()) {
            const QString path = args.first().value<QDBusObjectPath>().path();
            if (!path.isEmpty()) {
                lockAt(path);
                return;
            }
        }
        // Started outside a login session (a user service, a sandbox): let the login
        // manager pick the user's session.
        qCDebug(lcPower) << "no login session of our own:" << describe(reply);
        lockAt(kAutoSession);
    });
}

void lockSession(int timeoutMs, Done done) {
    withSystemBus(
        timeoutMs, [timeoutMs, done](QDBusConnection bus) { lockSessionOn(bus, timeoutMs, done); },
        [timeoutMs, done](const QString& why) { lockWithScreenSaver(timeoutMs, done, why); });
}

QString managerMethod(PowerAction action) {
    switch (action) {
        case PowerAction::Suspend:
            return QStringLiteral("Suspend");
        case PowerAction::Hibernate:
            return QStringLiteral("Hibernate");
        case PowerAction::Reboot:
            return QStringLiteral("Reboot");
        case PowerAction::PowerOff:
            return QStringLiteral("PowerOff");
        case PowerAction::Lock:
            break;
    }
    return {};
}

}  // namespace

void LogindPower::request(PowerAction action, std::function<void(bool ok)> done) {
    requestExplained(action, [done = std::move(done)](bool ok, const std::string&) {
        if (done)
            done(ok);
    });
}

void LogindPower::requestExplained(PowerAction action, Outcome done) {
    Done report = [done = std::move(done)](bool ok, const QString& why) {
        if (done)
            done(ok, why.toStdString());
    };
    if (action == PowerAction::Lock) {
        lockSession(timeoutMs_, std::move(report));
        return;
    }
    const QString method = managerMethod(action);
    if (method.isEmpty()) {
        qCWarning(lcPower) << "unknown power action" << static_cast<int>(action);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [report] { report(false, QStringLiteral("unknown action")); }, Qt::QueuedConnection);
        return;
    }
    auto msg = QDBusMessage::createMethodCall(kLogin, kLoginPath, kManager, method);
    msg << false;  // interactive: never wait for a password prompt
    const int timeoutMs = timeoutMs_;
    withSystemBus(
        timeoutMs,
        [msg, timeoutMs, method, report](QDBusConnection bus) {
            callAsync(bus, msg, timeoutMs, [method, report](const QDBusMessage& reply) {
                const bool ok = !isError(reply);
                if (!ok)
                    qCWarning(lcPower).noquote()
                        << (isNoAnswer(reply) ? "the login manager did not answer"
                                              : "the login manager refused")
                        << method << ":" << describe(reply);
                report(ok, ok ? QString() : reasonOf(reply));
            });
        },
        [report](const QString& why) { report(false, why); });
}

}  // namespace klangor
