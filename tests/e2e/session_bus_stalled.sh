#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop's session bus has stopped answering (its daemon stopped with SIGSTOP) when
# `klangor --at <in 20 s>` starts: the window still comes up, and the alarm rings at its time,
# not the next day, while the bus is still stopped. SIGTERM then ends the program.
source "$(dirname "$0")/lib.sh"

bus=$(pgrep -f "dbus-daemon .*--address=$DBUS_SESSION_BUS_ADDRESS" | head -n1)
[ -n "$bus" ] || fail "the private desktop's session bus was not found"
# The bus is woken whatever happens, or the desktop could not end it.
resume_bus_then_clean_up() {
    local rc=$?
    kill -CONT "$bus" 2>/dev/null || true
    (exit "$rc")
    e2e_cleanup
}
trap resume_bus_then_clean_up EXIT INT TERM
kill -STOP "$bus"
log "session bus stopped"

at=$(date -d '+20 sec' +%T)
"$KLANGOR_BIN" --at "$at" >"$E2E_TMP/klangor.log" 2>&1 &
KLANGOR_PID=$!
track "$KLANGOR_PID"
wait_until 40 "the main window, with the session bus stopped" find_main_window
WIN=$(find_main_window)
wait_until 20 "the window to minimise" is_minimised "$WIN"
log "started minimised with an alarm at $at"
wait_until 60 "the alarm to ring, with the session bus still stopped" is_restored "$WIN"
log "rang at $(date +%T)"

kill -CONT "$bus"
stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
