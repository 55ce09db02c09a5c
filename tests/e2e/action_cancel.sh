#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An after-alarm action waits 15 s after the alarm, says so in a notification with a Stop
# button, and the user can still cancel it:
#   action_cancel.sh stop     the window's Stop button cancels it: no Lock call within 20 s
#   action_cancel.sh f5       F5 cancels it and arms nothing: no Lock call within 20 s, the
#                             window stays shown
#   action_cancel.sh notice   neither "Sound Alert" nor "Message Alert" ticked: the window comes
#                             back all the same, and the notification's Stop cancels the action
#   action_cancel.sh run      left alone, the Lock call arrives about 15 s after the alarm
#   action_cancel.sh refused  left alone, and the login manager refuses: a notification says so
# In every case the window comes back without taking the keyboard, and the notification is
# withdrawn when the grace period ends. The login manager and the notification service are
# stand-ins on private buses: nothing real is ever locked.
source "$(dirname "$0")/lib.sh"
mode=${1:?stop, f5, notice, run or refused}

if [ "$mode" = refused ]; then
    start_login_stand_in --notifications --refuse
else
    start_login_stand_in --notifications
fi
start_klangor
activate "$WIN"
if [ "$mode" = notice ]; then
    click_page $SOUND_ALERT
    click_page $MESSAGE_ALERT
fi
choose_action 1 # "Lock"
stop_button=$(page_box "$STOP_BUTTON_BOX")
snapshot no_stop $stop_button
set_alarm_in 8
key F5
wait_until 10 "the window to minimise" is_minimised "$WIN"
wait_until "$(until_alarm 30)" "the alarm to fire" is_restored "$WIN"
log "alarm fired; Lock is pending"
wait_until 10 "the Stop button to appear" differs_from no_stop $stop_button
is_active "$WIN" && fail "the window took the keyboard focus when the alarm fired"
wait_until 10 "the notification of the pending action" notification_id "Lock in 15 seconds"
notice=$(notification_id "Lock in 15 seconds")
# The button's key is the notification's own: stop-<program's pid>-<number>.
stop_key=$(grep "^Notify .*Lock in 15 seconds" "$LOGIN_CALLS" | head -n1 |
    sed -n 's/.*\[\(stop-[0-9]*-[0-9]*\),Stop\].*/\1/p')
[ -n "$stop_key" ] || fail "the notification offers no Stop button: $(grep '^Notify' "$LOGIN_CALLS")"
log "notification $notice says what comes, with a Stop button"

case $mode in
stop)
    click_page $STOP_BUTTON
    ;;
f5)
    activate "$WIN" # the user turns to the window first: it does not take the keyboard itself
    key F5
    wait_until 10 "the Stop button to go" looks_like no_stop $stop_button
    ;;
notice)
    invoke_notification_action "$notice" "$stop_key"
    wait_until 10 "the Stop button to go" looks_like no_stop $stop_button
    ;;
run | refused) ;;
*) fail "unknown mode $mode" ;;
esac

case $mode in
run | refused)
    wait_until "$(until_alarm 45)" "the Lock call" login_called Lock
    # Seen no earlier than it came, and the alarm rang no earlier than its time.
    after=$(($(date +%s) - ALARM_AT))
    log "Lock called ${after}s after the alarm time"
    [ "$after" -ge 14 ] || fail "Lock came ${after}s after the alarm, before the 15 s grace period ended"
    notification_closed "$notice" || fail "the notification of the pending action was not withdrawn"
    ;;
*)
    wait_until 10 "the notification to be withdrawn" notification_closed "$notice"
    # A Lock call, if one came, would come 15 s after the alarm: there is nothing to wait for,
    # only that time and a few seconds more to let pass.
    while [ "$(date +%s)" -lt $((ALARM_AT + 15 + 8)) ]; do sleep 0.5; done
    ! login_called Lock || fail "Lock was called although the user cancelled it"
    for m in Suspend Hibernate Reboot PowerOff; do ! login_called "$m" || fail "$m was called"; done
    log "no Lock call until 23 s after the alarm time"
    ! is_minimised "$WIN" || fail "the window was minimised: something was armed again"
    ;;
esac
if [ "$mode" = refused ]; then
    wait_until 20 "the notification that the lock failed" notification_id "Could not lock: Permission denied"
    log "the refusal was notified: $(grep '^Notify .*Could not lock' "$LOGIN_CALLS")"
fi
log "PASS"
