#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The user works in another program while the window, brought back to look at, stays on top:
# the wheel turned over every list and spin box of both pages (five notches each way) changes
# nothing. An alarm armed from the command line with no action then rings with no action: the
# login manager is asked nothing, and the lists, boxes and saved values are as they were.
source "$(dirname "$0")/lib.sh"

start_login_stand_in # a private system bus: any power request would be written down there
launch_klangor --in 2 --action none # two minutes: room for the wheel, even on a busy machine
wait_until 10 "the window to go to the taskbar" is_minimised "$WIN"

start_other_program

# The user brings the window back to look at it, then goes on in the other program.
activate "$WIN"
wait_until 10 "the window to come back" is_restored "$WIN"
activate "$OTHER"
wait_until 10 "the other program to have the focus" is_active "$OTHER"
log "the window is back on top; the other program $OTHER has the keyboard"

PAGE_ABOVE_STATUS="0 0 366 276" # the page without its status line, whose countdown moves
ALARM_LISTS="8 214 271 50" # salarm and the action list
# wheel_over X Y: five notches down, five up, five down again with the pointer over X, Y.
wheel_over() {
    xdotool mousemove --window "$WIN" $((PAGE_X + $1)) $((PAGE_Y + $2))
    sleep 0.2
    xdotool click --repeat 5 --delay 60 5 click --repeat 5 --delay 60 4 click --repeat 5 --delay 60 5
    if [ "$TYPING" = yes ]; then
        xdotool type --delay 40 "ab" # and types on in the other program
        TYPED=$((TYPED + 2))
    fi
}
TYPING=yes TYPED=0
# turn_page NAME X Y...: the wheel over each place of a page; the page looks as before.
turn_page() {
    local name=$1
    shift
    pointer_away
    snapshot "$name-before" $(page_box "$PAGE_ABOVE_STATUS")
    while [ $# -gt 0 ]; do
        wheel_over "$1" "$2"
        shift 2
    done
    pointer_away
    looks_like "$name-before" $(page_box "$PAGE_ABOVE_STATUS") || fail "the wheel changed the $name page"
}

turn_page alarm 119 225 140 253 # salarm, the action list
log "the wheel over the alarm page's lists changed nothing"

# The user clicks the repeater tab (the window takes the keyboard, as a click gives it) and
# returns to the other program.
open_repeater_page
activate "$OTHER"
wait_until 10 "the other program to have the focus again" is_active "$OTHER"
turn_page repeater 164 193 164 223 292 193 292 224 # xMinutes, xMinutes2, sxMinutes, sxMinutes2
log "the wheel over the repeater page's boxes and lists changed nothing"

# The same with the window active and its tab bar focused: the wheel needs the focus itself.
activate "$WIN"
wait_until 10 "the window to take the focus" is_active "$WIN"
TYPING=no
turn_page repeater 164 193 164 223 292 193 292 224
TYPING=yes
activate "$OTHER"
wait_until 10 "the other program to have the focus again" is_active "$OTHER"
grep -q " rang " "$E2E_TMP/klangor.log" && fail "the alarm rang before the wheel was through"

# Back to the alarm page for the ring, and on in the other program.
activate "$WIN"
click_at 35 15 # the first tab
activate "$OTHER"
wait_until 10 "the other program to have the focus again" is_active "$OTHER"
snapshot lists-before $(page_box "$ALARM_LISTS")
keys_in() { [ "$(grep -c '^key [ab]$' "$KEYS")" -ge "$TYPED" ]; }
wait_until 20 "the typed keys to reach the other program" keys_in
[ "$(grep -c '^key ' "$KEYS")" -eq "$TYPED" ] || fail "the other program got $(grep '^key ' "$KEYS" | tr '\n' ' '), not $TYPED keys a and b"
log "all $TYPED keys typed reached the other program"
wait_until 240 "the alarm to ring" grep -q " rang " "$E2E_TMP/klangor.log"
log "the alarm rang"
# The ring takes the action from the list at once: had the wheel moved it, the window would
# have said which action comes, right after the ring.
wait_until 10 "the window to be back" is_restored "$WIN"
said "" && fail "the window announced an action: $(grep 'the window says' "$E2E_TMP/klangor.log")"
pointer_away
looks_like lists-before $(page_box "$ALARM_LISTS") || fail "the alarm page's lists changed"
stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
calls=$(grep -v '^ready$' "$LOGIN_CALLS" || true)
[ -z "$calls" ] || fail "the login manager was asked: $calls"
for pair in salarm=0 sxMinutes=0 sxMinutes2=0 xMinutes=60 xMinutes2=5; do
    [ "$(setting "${pair%=*}")" = "${pair#*=}" ] || fail "${pair%=*} saved as $(setting "${pair%=*}"), not ${pair#*=}"
done
log "nothing asked of the login manager; every value as it was"
log "PASS"
