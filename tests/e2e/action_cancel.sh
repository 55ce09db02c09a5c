#!/usr/bin/env bash
# An after-alarm action waits 15 s after the alarm, and the user can still cancel it:
#   action_cancel.sh stop   the Stop button cancels it: no Lock call arrives within 20 s
#   action_cancel.sh f5     F5 cancels it and arms nothing: no Lock call within 20 s, the
#                           window stays shown
#   action_cancel.sh run    left alone, the Lock call arrives about 15 s after the alarm
# The login manager is a stand-in on a private system bus: nothing real is ever locked.
source "$(dirname "$0")/lib.sh"
mode=${1:?stop, f5 or run}

start_login_stand_in
start_klangor
activate "$WIN"
choose_action 1 # "Lock"
set_alarm_in 6
stop_button=$(page_box "$STOP_BUTTON_BOX")
snapshot no_stop $stop_button
key F5
wait_until 10 "the window to minimise" is_minimised "$WIN"
wait_until 30 "the alarm to fire" is_restored "$WIN"
fired=$SECONDS
log "alarm fired; Lock is pending"
wait_until 10 "the window to take the focus" is_active "$WIN"
wait_until 10 "the Stop button to appear" differs_from no_stop $stop_button

case $mode in
stop)
    click_page $STOP_BUTTON
    ;;
f5)
    key F5
    wait_until 10 "the Stop button to go" looks_like no_stop $stop_button
    ;;
run) ;;
*) fail "unknown mode $mode" ;;
esac

if [ "$mode" = run ]; then
    wait_until 30 "the Lock call" login_called Lock
    after=$((SECONDS - fired))
    log "Lock called ${after}s after the alarm"
    [ "$after" -ge 13 ] || fail "Lock came ${after}s after the alarm, before the 15 s grace period ended"
else
    sleep 20 # a Lock call, if one came, would come within these 20 s: nothing to wait for
    ! login_called Lock || fail "Lock was called although the user cancelled it"
    for m in Suspend Hibernate Reboot PowerOff; do ! login_called "$m" || fail "$m was called"; done
    log "no Lock call within 20 s"
    ! is_minimised "$WIN" || fail "the window was minimised: something was armed again"
fi
log "PASS"
