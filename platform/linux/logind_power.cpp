#include "platform/linux/logind_power.h"
#include "platform/logging.h"

#include "platform/linux/dbus_call.h"

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

using Done = std::function<void(bool)>;

QDBusMessage sessionLock(const QString& path) {
    return QDBusMessage::createMethodCall(kLogin, path, kSession, QStringLiteral("Lock"));
}

/// Asks the screen saver service on the session bus to lock, trying each known path in turn.
void lockWithScreenSaver(int timeoutMs, Done done, int pathIndex = 0) {
    static const QStringList paths = {QStringLiteral("/org/freedesktop/ScreenSaver"),
                                      QStringLiteral("/ScreenSaver")};
    if (pathIndex >= paths.size()) {
        qCWarning(lcPower) << "no screen saver service locked the session";
        done(false);
        return;
    }
    const QString path = paths[pathIndex];
    const auto msg =
        QDBusMessage::createMethodCall(kScreenSaver, path, kScreenSaver, QStringLiteral("Lock"));
    callAsync(QDBusConnection::sessionBus(), msg, timeoutMs,
              [timeoutMs, done, pathIndex, path](const QDBusMessage& reply) {
                  if (!isError(reply)) {
                      done(true);
                      return;
                  }
                  qCDebug(lcPower)
                      << "screen saver lock at" << path << "failed:" << describe(reply);
                  lockWithScreenSaver(timeoutMs, done, pathIndex + 1);
              });
}

/// What `loginctl lock-session` does: the login manager tells the caller's session to lock.
/// Falls back to the screen saver when the login manager is absent or refuses.
void lockSession(int timeoutMs, Done done) {
    auto lockAt = [timeoutMs, done](const QString& path) {
        callAsync(QDBusConnection::systemBus(), sessionLock(path), timeoutMs,
                  [timeoutMs, done, path](const QDBusMessage& reply) {
                      if (!isError(reply)) {
                          done(true);
                          return;
                      }
                      qCWarning(lcPower) << "the login manager did not lock" << path << ":"
                                         << describe(reply) << "- trying the screen saver";
                      lockWithScreenSaver(timeoutMs, done);
                  });
    };
    auto find = QDBusMessage::createMethodCall(kLogin, kLoginPath, kManager,
                                               QStringLiteral("GetSessionByPID"));
    find << static_cast<uint>(QCoreApplication::applicationPid());
    callAsync(QDBusConnection::systemBus(), find, timeoutMs, [lockAt](const QDBusMessage& reply) {
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
    Done report = [done = std::move(done)](bool ok) {
        if (done)
            done(ok);
    };
    if (action == PowerAction::Lock) {
        lockSession(timeoutMs_, std::move(report));
        return;
    }
    const QString method = managerMethod(action);
    if (method.isEmpty()) {
        qCWarning(lcPower) << "unknown power action" << static_cast<int>(action);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [report] { report(false); }, Qt::QueuedConnection);
        return;
    }
    auto msg = QDBusMessage::createMethodCall(kLogin, kLoginPath, kManager, method);
    msg << false;  // interactive: never wait for a password prompt
    callAsync(QDBusConnection::systemBus(), msg, timeoutMs_,
              [method, report](const QDBusMessage& reply) {
                  const bool ok = !isError(reply);
                  if (!ok)
                      qCWarning(lcPower)
                          << "the login manager refused" << method << ":" << describe(reply);
                  report(ok);
              });
}

}  // namespace klangor
