// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Switching the monitor off on Linux, the session's own way: GNOME's display configuration on
// GNOME, kscreen-doctor on KDE Plasma under Wayland, the X server's DPMS on other X11 sessions.

#include "platform/linux/desktop_session.h"
#include "platform/monitor.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace klangor {

/// One way of switching the monitor off.
class MonitorMechanism {
public:
    virtual ~MonitorMechanism() = default;
    virtual QString name() const = 0;
    /// Asks for the monitor to go off and calls `done` once, on this thread, with whether the
    /// request was carried out. `false` (also when the mechanism is not there at all) lets the
    /// next one try.
    virtual void switchOff(std::function<void(bool ok)> done) = 0;
};

/// Tries its mechanisms in order until one accepts; logs (klangor.monitor) when none does.
class LinuxMonitor final : public Monitor {
public:
    explicit LinuxMonitor(std::vector<std::unique_ptr<MonitorMechanism>> mechanisms);
    ~LinuxMonitor() override;
    /// The way of `session` (by default the one the program runs in).
    static std::unique_ptr<LinuxMonitor> makeDefault(
        const DesktopSession& session = DesktopSession::current());
    /// GNOME: its display configuration; KDE on Wayland: kscreen-doctor; any other X11 session:
    /// DPMS; none on another Wayland desktop (its X server is only Xwayland).
    static std::vector<std::unique_ptr<MonitorMechanism>> mechanismsFor(
        const DesktopSession& session);

    void switchOff(std::function<void(bool ok)> done = {}) override;

private:
    void tryFrom(std::size_t index, std::function<void(bool)> done);

    // A mechanism drops its pending requests when it goes, so none calls back into a monitor
    // that is gone.
    std::vector<std::unique_ptr<MonitorMechanism>> mechanisms_;
};

/// What an X server offers for display power, seen through one connection to it.
class DpmsServer {
public:
    virtual ~DpmsServer() = default;
    virtual bool hasExtension() = 0;
    virtual bool capable() = 0;
    virtual bool enabled() = 0;
    /// Switches DPMS on with no idle timeouts, so that nothing blanks by itself later that did
    /// not blank before.
    virtual bool enable() = 0;
    /// Forces the display off now; returns whether the server took the request without error.
    virtual bool forceOff() = 0;
};

/// A connection to the X display the program shows on (Qt's own when it runs on X11, else
/// $DISPLAY); null when there is none or the program was built without libXext.
std::unique_ptr<DpmsServer> connectDpmsServer();

/// DPMS force-off through the X server. Skipped when the server lacks the extension or is not
/// DPMS capable; switches DPMS on first when it is off (the force only works then).
class X11DpmsOff final : public MonitorMechanism {
public:
    using Connect = std::function<std::unique_ptr<DpmsServer>()>;
    explicit X11DpmsOff(Connect connect = connectDpmsServer);
    QString name() const override { return QStringLiteral("X11 DPMS"); }
    void switchOff(std::function<void(bool)> done) override;

private:
    Connect connect_;
};

/// GNOME (Mutter): sets the PowerSaveMode property of org.gnome.Mutter.DisplayConfig on the
/// session bus, asynchronously.
class GnomeDisplayConfigOff final : public MonitorMechanism {
public:
    GnomeDisplayConfigOff();
    ~GnomeDisplayConfigOff() override;
    QString name() const override { return QStringLiteral("GNOME display configuration"); }
    void switchOff(std::function<void(bool)> done) override;

private:
    std::unique_ptr<QObject> calls_;  // parent of the pending calls' watchers
};

/// KDE Plasma on Wayland: runs `kscreen-doctor --dpms off` (found in PATH) and waits for it. A
/// tool that cannot start, ends with an exit code other than 0, or says that it could not (it
/// ends with 0 after "DPMS is only supported on Wayland.") has failed.
class KScreenDoctorOff final : public MonitorMechanism {
public:
    KScreenDoctorOff();
    ~KScreenDoctorOff() override;
    QString name() const override { return QStringLiteral("kscreen-doctor"); }
    void switchOff(std::function<void(bool)> done) override;

private:
    std::unique_ptr<QObject> runs_;  // parent of the running tools
};

}  // namespace klangor
