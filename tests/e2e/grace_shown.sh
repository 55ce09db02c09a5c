#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# With no notification service at all, the window alone tells the user about the after-alarm
# action:
#   grace_shown.sh refused   "Shut down" armed from the command line: after the ring the window
#                            says which action comes and counts the seconds down; the login
#                            manager refuses, and the window says "Could not shut down: ..."
#   grace_shown.sh stopped   the program is stopped (as by a suspend) in the middle of the
#                            grace period and continued half a minute later: the action is
#                            cancelled, not run late, and the window says so
# The login manager is a stand-in on a private bus: nothing real is ever powered off.
source "$(dirname "$0")/lib.sh"
mode=${1:?refused or stopped}

start_login_stand_in --refuse
launch_klangor --in 0 --action shutdown # rings as soon as it has started
wait_until 60 "the window to say what comes" said "Shut down in 15 seconds"
wait_until 10 "the window to be back" is_restored "$WIN"
log "the alarm rang; the window announces the shut-down"
NOTE_BOX=$(page_box "164 156 192 54") # lblAction, right of the two alert boxes
snapshot counting $NOTE_BOX
[ -n "${KLANGOR_E2E_SHOTS:-}" ] && import -frame -window "$WIN" "$KLANGOR_E2E_SHOTS/grace-$mode.png"

case $mode in
refused)
    # The count goes down on the screen, not only in the log.
    wait_until 10 "the countdown to move on screen" differs_from counting $NOTE_BOX
    wait_until 10 "the countdown to reach 10" said "Shut down in 10 seconds"
    wait_until 30 "the PowerOff request" login_called PowerOff
    wait_until 20 "the window to say the shut-down failed" said "Could not shut down: "
    log "$(grep -F 'the window says: Could not' "$E2E_TMP/klangor.log")"
    snapshot failed $NOTE_BOX
    differs_from counting $NOTE_BOX || fail "the failure does not show in the window"
    [ -n "${KLANGOR_E2E_SHOTS:-}" ] && import -frame -window "$WIN" "$KLANGOR_E2E_SHOTS/failed.png"
    ;;
stopped)
    wait_until 10 "the countdown to reach 12" said "Shut down in 12 seconds"
    kill -STOP "$KLANGOR_PID"
    log "stopped the program 3 s into the grace period"
    sleep 30 # the length of the interruption itself, not a wait for anything
    kill -CONT "$KLANGOR_PID"
    wait_until 30 "the window to say the action was cancelled" said "Action cancelled (Shut down): the countdown ended late"
    log "$(grep -F 'the window says: Action cancelled' "$E2E_TMP/klangor.log")"
    # The grace period is over once it says so: no request can follow.
    ! login_called PowerOff || fail "the shut-down was requested after the program continued"
    grep -q "grace period ran .* behind the clock: the after-alarm action 5 .* is cancelled" "$E2E_TMP/klangor.log" \
        || fail "the log does not say the action was cancelled"
    [ -n "${KLANGOR_E2E_SHOTS:-}" ] && import -frame -window "$WIN" "$KLANGOR_E2E_SHOTS/late.png"
    ;;
*) fail "unknown mode $mode" ;;
esac
stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
! login_called PowerOff || [ "$mode" = refused ] || fail "PowerOff was requested"
log "PASS"
