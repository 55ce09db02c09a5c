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
#include <QTimer>

namespace klangor {

namespace {

// How long kscreen-doctor may take to answer before it counts as failed.
constexpr int kToolTimeoutMs = 10000;

}  // namespace

LinuxMonitor::LinuxMonitor(std::vector<std::unique_ptr<MonitorMechanism>> mechanisms)
    : mechanisms_(std::move(mechanisms)) {}

LinuxMonitor::~LinuxMonitor() = default;

std::vector<std::unique_ptr<MonitorMechanism>> LinuxMonitor::mechanismsFor(
    const DesktopSession& session) {
    std::vector<std::unique_ptr<MonitorMechanism>> m;
    if (session.gnome)
        m.push_back(std::make_unique<GnomeDisplayConfigOff>());
    else if (session.kde && session.wayland)
        m.push_back(std::make_unique<KScreenDoctorOff>());
    else if (!session.wayland)
        m.push_back(std::make_unique<X11DpmsOff>());
    return m;
}

std::unique_ptr<LinuxMonitor> LinuxMonitor::makeDefault(const DesktopSession& session) {
    return std::make_unique<LinuxMonitor>(mechanismsFor(session));
}

void LinuxMonitor::switchOff(std::function<void(bool)> done) {
    tryFrom(0, std::move(done));
}

void LinuxMonitor::tryFrom(std::size_t index, std::function<void(bool)> done) {
    if (index >= mechanisms_.size()) {
        qCWarning(lcMonitor) << "the monitor could not be switched off"
                             << (mechanisms_.empty() ? "(no way is known for this desktop)" : "");
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
                             qCWarning(lcMonitor) << name() << "refused:" << reply.error().name()
                                                  << reply.error().message();
                             done(false);
                             return;
                         }
                         done(true);
                     });
}

KScreenDoctorOff::KScreenDoctorOff() : runs_(std::make_unique<QObject>()) {}

KScreenDoctorOff::~KScreenDoctorOff() {
    // A tool still running is ended without calling back into a monitor that is gone.
    for (QProcess* tool : runs_->findChildren<QProcess*>())
        tool->disconnect();
}

void KScreenDoctorOff::switchOff(std::function<void(bool)> done) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("kscreen-doctor"));
    if (program.isEmpty()) {
        qCWarning(lcMonitor) << "kscreen-doctor is not in PATH";
        return done(false);
    }
    auto* tool = new QProcess(runs_.get());
    tool->setProcessChannelMode(QProcess::MergedChannels);
    // The program itself may show through Xwayland (QT_QPA_PLATFORM=xcb, see prepareDisplay());
    // the tool, a Qt program too, reaches the monitors only through Wayland.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    tool->setProcessEnvironment(environment);
    auto* limit = new QTimer(tool);
    limit->setSingleShot(true);
    // Called once: on the end of the tool, on a failure to start, or when it takes too long.
    auto finish = [tool, limit, done = std::move(done)](bool ok) {
        tool->disconnect();
        limit->stop();
        done(ok);
        tool->deleteLater();
    };
    QObject::connect(
        tool, &QProcess::finished, tool, [tool, finish](int code, QProcess::ExitStatus status) {
            const QString said = QString::fromLocal8Bit(tool->readAll()).trimmed();
            // It ends with 0 also when it could do nothing, and says so.
            const bool refused =
                said.contains(QLatin1String("only supported"), Qt::CaseInsensitive) ||
                said.contains(QLatin1String("not supported"), Qt::CaseInsensitive) ||
                said.contains(QLatin1String("error"), Qt::CaseInsensitive) ||
                said.contains(QLatin1String("failed"), Qt::CaseInsensitive);
            const bool ok = status == QProcess::NormalExit && code == 0 && !refused;
            if (!ok)
                qCWarning(lcMonitor).noquote()
                    << "kscreen-doctor did not switch the monitor off (exit code" << code
                    << (status == QProcess::NormalExit ? "" : ", crashed") << "):" << said;
            finish(ok);
        });
    QObject::connect(
        tool, &QProcess::errorOccurred, tool, [tool, finish](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;  // the end comes through finished()
            qCWarning(lcMonitor) << "could not start kscreen-doctor:" << tool->errorString();
            finish(false);
        });
    QObject::connect(limit, &QTimer::timeout, tool, [tool, finish] {
        qCWarning(lcMonitor) << "kscreen-doctor did not answer within" << kToolTimeoutMs << "ms";
        tool->kill();
        finish(false);
    });
    limit->start(kToolTimeoutMs);
    tool->start(program, {QStringLiteral("--dpms"), QStringLiteral("off")});
}

}  // namespace klangor
