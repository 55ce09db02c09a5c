// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/linux_monitor.h"
#include "platform/logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

namespace klangor {

namespace {

bool isWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

}  // namespace

LinuxMonitor::LinuxMonitor(std::vector<std::unique_ptr<MonitorMechanism>> mechanisms)
    : mechanisms_(std::move(mechanisms)) {}

LinuxMonitor::~LinuxMonitor() = default;

std::unique_ptr<LinuxMonitor> LinuxMonitor::makeDefault() {
    std::vector<std::unique_ptr<MonitorMechanism>> m;
    // Under Wayland an X server is only XWayland, whose DPMS (if any) reaches no monitor.
    if (!isWaylandSession())
        m.push_back(std::make_unique<X11DpmsOff>());
    m.push_back(std::make_unique<GnomeDisplayConfigOff>());
    m.push_back(std::make_unique<KScreenDoctorOff>());
    return std::make_unique<LinuxMonitor>(std::move(m));
}

void LinuxMonitor::switchOff(std::function<void(bool)> done) {
    tryFrom(0, std::move(done));
}

void LinuxMonitor::tryFrom(std::size_t index, std::function<void(bool)> done) {
    if (index >= mechanisms_.size()) {
        qCWarning(lcMonitor) << "no way to switch the monitor off was available";
        if (done)
            done(false);
        return;
    }
    MonitorMechanism* mechanism = mechanisms_[index].get();
    mechanism->switchOff([this, index, mechanism, done = std::move(done)](bool ok) mutable {
        if (ok) {
            qCDebug(lcMonitor) << "monitor switched off through" << mechanism->name();
            if (done)
                done(true);
            return;
        }
        tryFrom(index + 1, std::move(done));
    });
}

X11DpmsOff::X11DpmsOff(Connect connect) : connect_(std::move(connect)) {}

void X11DpmsOff::switchOff(std::function<void(bool)> done) {
    const std::unique_ptr<DpmsServer> server = connect_ ? connect_() : nullptr;
    if (!server) {
        qCInfo(lcMonitor) << "no X display; skipping X11 DPMS";
        return done(false);
    }
    if (!server->hasExtension()) {
        qCInfo(lcMonitor) << "the X server has no DPMS extension";
        return done(false);
    }
    if (!server->capable()) {
        qCInfo(lcMonitor) << "the X server's display is not DPMS capable";
        return done(false);
    }
    if (!server->enabled()) {
        qCInfo(lcMonitor) << "DPMS was off; switching it on (without idle timeouts)";
        if (!server->enable()) {
            qCWarning(lcMonitor) << "the X server refused to switch DPMS on";
            return done(false);
        }
    }
    if (!server->forceOff()) {
        qCWarning(lcMonitor) << "the X server refused to force the display off";
        return done(false);
    }
    done(true);
}

GnomeDisplayConfigOff::GnomeDisplayConfigOff() : calls_(std::make_unique<QObject>()) {}

GnomeDisplayConfigOff::~GnomeDisplayConfigOff() = default;

void GnomeDisplayConfigOff::switchOff(std::function<void(bool)> done) {
    static const QString service = QStringLiteral("org.gnome.Mutter.DisplayConfig");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcMonitor) << "no session bus; skipping" << name();
        return done(false);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/gnome/Mutter/DisplayConfig"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    // 1 is "standby"; on Wayland every level but "on" turns the outputs off.
    call << service << QStringLiteral("PowerSaveMode") << QVariant::fromValue(QDBusVariant(1));
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), calls_.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [this, done = std::move(done)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusPendingReply<> reply = *w;
                         if (reply.isError()) {
                             qCInfo(lcMonitor) << name() << "not available:" << reply.error().name()
                                               << reply.error().message();
                             done(false);
                             return;
                         }
                         done(true);
                     });
}

void KScreenDoctorOff::switchOff(std::function<void(bool)> done) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("kscreen-doctor"));
    if (program.isEmpty()) {
        qCInfo(lcMonitor) << "kscreen-doctor is not in PATH";
        return done(false);
    }
    const bool started =
        QProcess::startDetached(program, {QStringLiteral("--dpms"), QStringLiteral("off")});
    if (!started)
        qCWarning(lcMonitor) << "could not start" << program;
    done(started);
}

}  // namespace klangor
