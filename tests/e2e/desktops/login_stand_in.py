#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# org.freedesktop.login1 for a real desktop on a PRIVATE system bus: enough of logind's session,
# user and seat objects for GNOME Shell and KWin to start and lock, and the power methods, which
# only write down that they were called. Every call is one line on stdout: "Member path args".
#
#   login_stand_in.py [--gdm] CONTROL_DIR
#
# --gdm: GDM's Version answers too; GNOME Shell builds its lock screen only then.
# CONTROL_DIR/refuse-lock present: Session.Lock answers "access denied" (the screen saver is
# then the way to lock). Session.Lock emits the session's Lock signal as logind does, Unlock
# its Unlock signal: the desktop locks and unlocks on them.
import os
import sys

import dbus
import dbus.lowlevel
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

address = os.environ.get("DBUS_SYSTEM_BUS_ADDRESS", "")
if not address.startswith("unix:path=/tmp/"):
    sys.exit("login stand-in: DBUS_SYSTEM_BUS_ADDRESS must be a private bus under /tmp")
gdm = "--gdm" in sys.argv
control = [a for a in sys.argv[1:] if not a.startswith("--")][0]

SESSION_ID = "c1"
SESSION = "/org/freedesktop/login1/session/" + SESSION_ID
USER = "/org/freedesktop/login1/user/_%d" % os.getuid()
SEAT = "/org/freedesktop/login1/seat/seat0"
MANAGER_IF = "org.freedesktop.login1.Manager"
SESSION_IF = "org.freedesktop.login1.Session"
PROPS_IF = "org.freedesktop.DBus.Properties"
DENIED = "org.freedesktop.DBus.Error.AccessDenied"


def say(member, path, *args):
    print(" ".join([member, path] + [str(a) for a in args]), flush=True)


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(address)
names = [dbus.service.BusName("org.freedesktop.login1", bus)]
kept_fds = []


class WithProperties(dbus.service.Object):
    SUPPORTS_MULTIPLE_OBJECT_PATHS = True
    interface = ""

    def properties(self):
        return {}

    @dbus.service.method(PROPS_IF, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[name]

    @dbus.service.method(PROPS_IF, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        found = self.properties() if interface in ("", self.interface) else {}
        return dbus.Dictionary(found, signature="sv")

    @dbus.service.signal(PROPS_IF, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass


class Manager(WithProperties):
    interface = MANAGER_IF

    def properties(self):
        return {"IdleHint": False, "PreparingForSleep": False, "PreparingForShutdown": False,
                "Docked": False, "NAutoVTs": dbus.UInt32(6), "HandleLidSwitch": "suspend"}

    def power(self, member, interactive):
        say(member, "/org/freedesktop/login1", interactive)

    @dbus.service.method(MANAGER_IF, in_signature="u", out_signature="o")
    def GetSessionByPID(self, pid):
        return dbus.ObjectPath(SESSION)

    @dbus.service.method(MANAGER_IF, in_signature="s", out_signature="o")
    def GetSession(self, sid):
        return dbus.ObjectPath(SESSION)

    @dbus.service.method(MANAGER_IF, in_signature="u", out_signature="o")
    def GetUser(self, uid):
        return dbus.ObjectPath(USER)

    @dbus.service.method(MANAGER_IF, in_signature="u", out_signature="o")
    def GetUserByPID(self, pid):
        return dbus.ObjectPath(USER)

    @dbus.service.method(MANAGER_IF, in_signature="s", out_signature="o")
    def GetSeat(self, seat):
        return dbus.ObjectPath(SEAT)

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="a(susso)")
    def ListSessions(self):
        return [(SESSION_ID, dbus.UInt32(os.getuid()), "user", "seat0", dbus.ObjectPath(SESSION))]

    @dbus.service.method(MANAGER_IF, in_signature="ssss", out_signature="h")
    def Inhibit(self, what, who, why, mode):
        read_end, write_end = os.pipe()
        kept_fds.append(write_end)
        return dbus.types.UnixFd(read_end)

    @dbus.service.method(MANAGER_IF, in_signature="b", out_signature="")
    def PowerOff(self, interactive):
        self.power("PowerOff", interactive)

    @dbus.service.method(MANAGER_IF, in_signature="b", out_signature="")
    def Reboot(self, interactive):
        self.power("Reboot", interactive)

    @dbus.service.method(MANAGER_IF, in_signature="b", out_signature="")
    def Suspend(self, interactive):
        self.power("Suspend", interactive)

    @dbus.service.method(MANAGER_IF, in_signature="b", out_signature="")
    def Hibernate(self, interactive):
        self.power("Hibernate", interactive)

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="s")
    def CanPowerOff(self):
        return "yes"

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="s")
    def CanReboot(self):
        return "yes"

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="s")
    def CanSuspend(self):
        return "yes"

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="s")
    def CanHibernate(self):
        return "no"

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="s")
    def CanHybridSleep(self):
        return "no"

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="s")
    def CanSuspendThenHibernate(self):
        return "no"

    @dbus.service.method(MANAGER_IF, in_signature="", out_signature="s")
    def CanRebootToBootLoaderMenu(self):
        return "na"

    @dbus.service.signal(MANAGER_IF, signature="b")
    def PrepareForSleep(self, start):
        pass

    @dbus.service.signal(MANAGER_IF, signature="b")
    def PrepareForShutdown(self, start):
        pass


class Session(WithProperties):
    interface = SESSION_IF
    locked = False

    def properties(self):
        return {"Id": SESSION_ID, "Name": "user", "Class": "user", "State": "active",
                "Type": os.environ.get("XDG_SESSION_TYPE", "x11"), "Active": True,
                "Remote": False, "IdleHint": False, "LockedHint": self.locked,
                "Service": "gdm-password", "Desktop": "", "Display": "",
                "VTNr": dbus.UInt32(2), "Leader": dbus.UInt32(os.getpid()),
                "Timestamp": dbus.UInt64(0),
                "User": dbus.Struct((dbus.UInt32(os.getuid()), dbus.ObjectPath(USER))),
                "Seat": dbus.Struct(("seat0", dbus.ObjectPath(SEAT)))}

    def emit(self, member):
        bus.send_message(dbus.lowlevel.SignalMessage(SESSION, SESSION_IF, member))

    @dbus.service.method(SESSION_IF, in_signature="", out_signature="")
    def Lock(self):
        say("Lock", SESSION)
        if os.path.exists(os.path.join(control, "refuse-lock")):
            raise dbus.exceptions.DBusException("Permission denied", name=DENIED)
        GLib.idle_add(lambda: self.emit("Lock") and False)

    @dbus.service.method(SESSION_IF, in_signature="", out_signature="")
    def Unlock(self):
        say("Unlock", SESSION)
        GLib.idle_add(lambda: self.emit("Unlock") and False)

    @dbus.service.method(SESSION_IF, in_signature="b", out_signature="")
    def SetLockedHint(self, locked):
        self.locked = bool(locked)
        self.PropertiesChanged(SESSION_IF, dbus.Dictionary({"LockedHint": dbus.Boolean(self.locked)},
                                                           signature="sv"), dbus.Array([], signature="s"))

    @dbus.service.method(SESSION_IF, in_signature="b", out_signature="")
    def SetIdleHint(self, idle):
        pass

    @dbus.service.method(SESSION_IF, in_signature="", out_signature="")
    def Activate(self):
        pass


class User(WithProperties):
    interface = "org.freedesktop.login1.User"

    def properties(self):
        return {"UID": dbus.UInt32(os.getuid()), "Name": "user", "State": "active",
                "Display": dbus.Struct((SESSION_ID, dbus.ObjectPath(SESSION))),
                "Sessions": dbus.Array([dbus.Struct((SESSION_ID, dbus.ObjectPath(SESSION)))],
                                       signature="(so)")}


class Seat(WithProperties):
    interface = "org.freedesktop.login1.Seat"

    def properties(self):
        return {"Id": "seat0", "CanGraphical": True, "CanTTY": True,
                "ActiveSession": dbus.Struct((SESSION_ID, dbus.ObjectPath(SESSION))),
                "Sessions": dbus.Array([dbus.Struct((SESSION_ID, dbus.ObjectPath(SESSION)))],
                                       signature="(so)")}


manager = Manager(bus, "/org/freedesktop/login1")
session = Session(bus, SESSION)
for alias in ("auto", "self"):
    session.add_to_connection(bus, "/org/freedesktop/login1/session/" + alias)
user = User(bus, USER)
user.add_to_connection(bus, "/org/freedesktop/login1/user/self")
seat = Seat(bus, SEAT)
seat.add_to_connection(bus, "/org/freedesktop/login1/seat/self")

if gdm:
    GDM_IF = "org.gnome.DisplayManager.Manager"

    class Gdm(WithProperties):
        interface = GDM_IF

        def properties(self):
            return {"Version": "43.0"}

        @dbus.service.method(GDM_IF, in_signature="a{sv}", out_signature="")
        def RegisterSession(self, details):
            pass

    names.append(dbus.service.BusName("org.gnome.DisplayManager", bus))
    gdm_object = Gdm(bus, "/org/gnome/DisplayManager/Manager")

print("ready", flush=True)
GLib.MainLoop().run()
