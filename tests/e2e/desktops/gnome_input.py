#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The user's keyboard and pointer on a headless GNOME Shell, through Mutter's RemoteDesktop
# interface: the compositor takes them as a real user's input (X11's XTEST reaches only the X
# clients, never the shell).
#   gnome_input.py CMD...    CMD: at X Y | click | key NAME | type TEXT | wait SECONDS
# (X Y: screen pixels of the 1024 x 768 virtual monitor; NAME: a key name below or one letter.)
import sys
import time

from gi.repository import Gio, GLib

RD = "org.gnome.Mutter.RemoteDesktop"
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
session = bus.call_sync(RD, "/org/gnome/Mutter/RemoteDesktop", RD, "CreateSession", None,
                        GLib.VariantType("(o)"), 0, 20000).unpack()[0]


def call(method, signature=None, *args):
    bus.call_sync(RD, session, RD + ".Session", method,
                  GLib.Variant(signature, args) if signature else None, None, 0, 20000)


KEYS = {"Return": 0xFF0D, "space": 0x20, "Escape": 0xFF1B, "Tab": 0xFF09, "F1": 0xFFBE,
        "Shift": 0xFFE1}
LEFT_BUTTON = 0x110  # BTN_LEFT
WIDTH, HEIGHT = 1024, 768

call("Start")
# The virtual devices appear a moment after the start; the first key of a new keyboard may
# also be lost on its way to Xwayland: a lone Shift goes first.
time.sleep(0.5)


def key(sym):
    call("NotifyKeyboardKeysym", "(ub)", sym, True)
    time.sleep(0.03)
    call("NotifyKeyboardKeysym", "(ub)", sym, False)
    time.sleep(0.03)


key(KEYS["Shift"])
time.sleep(0.2)


def move_to(x, y):
    # Relative motion only (absolute needs a screen cast stream): to the bottom-right corner
    # first (the top-left one is the shell's hot corner), then back to the point.
    for _ in range(6):
        call("NotifyPointerMotionRelative", "(dd)", 400.0, 400.0)
    dx, dy = x - (WIDTH - 1), y - (HEIGHT - 1)
    steps = int(max(abs(dx), abs(dy)) // 200) + 1
    for _ in range(steps):
        call("NotifyPointerMotionRelative", "(dd)", dx / steps, dy / steps)


args = sys.argv[1:]
while args:
    command = args.pop(0)
    if command == "at":
        move_to(float(args.pop(0)), float(args.pop(0)))
    elif command == "click":
        call("NotifyPointerButton", "(ib)", LEFT_BUTTON, True)
        time.sleep(0.05)
        call("NotifyPointerButton", "(ib)", LEFT_BUTTON, False)
    elif command == "key":
        name = args.pop(0)
        key(KEYS.get(name, ord(name[0])))
    elif command == "type":
        for ch in args.pop(0):
            key(KEYS["space"] if ch == " " else ord(ch))
    elif command == "wait":
        time.sleep(float(args.pop(0)))
    else:
        sys.exit("gnome_input.py: unknown command " + command)
time.sleep(0.2)
call("Stop")
