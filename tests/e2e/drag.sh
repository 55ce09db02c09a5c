#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window moves only while it is dragged: on a drag handle (the empty page), a right click, a
# middle click and a quick left click, each followed by pointer motion, move nothing and leave
# neither the pointer nor the keyboard grabbed; a left-button drag moves the window as far as the
# pointer went.
source "$(dirname "$0")/lib.sh"
: "${KLANGOR_GRAB_PROBE:?KLANGOR_GRAB_PROBE names the grab probe}"

start_klangor
activate "$WIN"
position() { xdotool getwindowgeometry "$WIN" | sed -n 's/.*Position: \([0-9]*,[0-9]*\).*/\1/p'; }
HANDLE_X=$((PAGE_X + 300)) HANDLE_Y=$((PAGE_Y + 180)) # the empty page right of "Options"
wander() {
    for _ in 1 2 3 4; do
        xdotool mousemove_relative 25 20
        sleep 0.05
    done
}
no_grab() {
    local out
    out=$("$KLANGOR_GRAB_PROBE") || fail "after $1: $out"
}

before=$(position)
for gesture in right middle tap; do
    xdotool mousemove --window "$WIN" "$HANDLE_X" "$HANDLE_Y"
    sleep 0.2
    case $gesture in
    right) xdotool click 3 ;;
    middle) xdotool click 2 ;;
    tap) xdotool mousedown 1 mouseup 1 ;;
    esac
    wander
    sleep 0.5 # nothing may happen: only time for a move to show
    [ "$(position)" = "$before" ] || fail "a $gesture click moved the window from $before to $(position)"
    no_grab "a $gesture click"
    # A context menu from the right click would be closed here by the user.
    key Escape
    log "$gesture click: the window stays at $before, nothing grabbed"
done

xdotool mousemove --window "$WIN" "$HANDLE_X" "$HANDLE_Y" sleep 0.2 mousedown 1
wander
xdotool mouseup 1
# The pointer went 100 right and 80 down: the window goes as far, the point grabbed staying
# under the pointer (not the drag threshold behind it).
expected="$((${before%,*} + 100)),$((${before#*,} + 80))"
moved() { [ "$(position)" != "$before" ]; }
wait_until 10 "the window to follow the drag" moved
# Settled once two looks a moment apart agree.
settled() {
    local a
    a=$(position)
    sleep 0.3
    [ "$(position)" = "$a" ]
}
wait_until 10 "the window to settle" settled
[ "$(position)" = "$expected" ] || fail "the drag took the window from $before to $(position), not $expected"
no_grab "the drag"
log "a left drag moved the window from $before to $(position)"
stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
log "PASS"
