// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Switching the monitor off on Linux: X11 DPMS where the X server offers it, then the desktop's
// own interfaces (GNOME's display configuration, KDE's kscreen-doctor), tried in that order.

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
    /// request was accepted. `false` (also when the mechanism is not there at all) lets the
    /// next one try.
    virtual void switchOff(std::function<void(bool ok)> done) = 0;
};

/// Tries its mechanisms in order until one accepts; logs (klangor.monitor) when none does.
class LinuxMonitor final : public Monitor {
public:
    explicit LinuxMonitor(std::vector<std::unique_ptr<MonitorMechanism>> mechanisms);
    ~LinuxMonitor() override;
    /// X11 DPMS (outside Wayland sessions), GNOME, KDE.
    static std::unique_ptr<LinuxMonitor> makeDefault();

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

/// KDE Plasma: starts `kscreen-doctor --dpms off` when the program is in PATH.
class KScreenDoctorOff final : public MonitorMechanism {
public:
    QString name() const override { return QStringLiteral("kscreen-doctor"); }
    void switchOff(std::function<void(bool)> done) override;
};

}  // namespace klangor
