#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Evaluates JavaScript inside GNOME Shell (started with --unsafe-mode) and prints the result;
# ends with 0 when the shell answered with a value that is not false, null or empty.
#   gnome_eval.py EXPRESSION
import json
import sys

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
ok, result = bus.call_sync("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval",
                           GLib.Variant("(s)", (sys.argv[1],)), GLib.VariantType("(bs)"), 0,
                           20000).unpack()
try:
    value = json.loads(result) if result else None
except ValueError:
    value = result
print(value if isinstance(value, str) else result)
sys.exit(0 if ok and value not in (False, None, "", 0) else 1)
