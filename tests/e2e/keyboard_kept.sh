#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The user works in another program and keeps typing while Klangor calls for attention: every
# key reaches that program, none reaches Klangor.
#   keyboard_kept.sh alarm    the alarm rings (Message Alert): the window comes back on top and
#                             asks for attention; the keys typed into the other program do not
#                             re-arm the alarm (Space on Start) or untick anything
#   keyboard_kept.sh prompt   the repeater's screen-off prompt appears: Space and Enter typed
#                             into the other program do not switch the screen off; the prompt
#                             keeps counting down
# Afterwards a click on Klangor's window gives it the keyboard as usual.
source "$(dirname "$0")/lib.sh"
mode=${1:?alarm or prompt}

# What the user types: words, spaces and Enter, the keys that would press a focused button.
TYPED="hello world"
type_into_other_program() {
    xdotool type --delay 40 "$TYPED"
    key Return space
}
EXPECTED=(h e l l o space w o r l d Return space)
keys_received() { sed -n 's/^key //p' "$KEYS"; }
all_keys_arrived() { [ "$(keys_received | wc -l)" -ge ${#EXPECTED[@]} ]; }
check_keys() {
    wait_until 10 "the typed keys to reach the other program" all_keys_arrived
    local got
    got=$(keys_received | tr '\n' ' ')
    [ "$got" = "${EXPECTED[*]} " ] || fail "the other program received '$got', expected '${EXPECTED[*]} '"
    is_active "$OTHER" || fail "the other program lost the focus (active: $(xdotool getactivewindow))"
    log "every key reached the other program: $got"
}

start_klangor
activate "$WIN"

case $mode in
alarm)
    # The other program is started first, so that only its activation lies between Start and
    # the alarm; the alarm is set far enough ahead for that on a busy machine, and checked.
    start_other_program
    activate "$WIN"
    wait_until 10 "the window to take the focus" is_active "$WIN"
    set_alarm_in 16
    key F5
    wait_until 10 "the window to minimise" is_minimised "$WIN"
    activate "$OTHER"
    wait_until 10 "the other program to have the focus" is_active "$OTHER"
    is_minimised "$WIN" || fail "the alarm rang before the other program had the keyboard"
    log "the other program $OTHER has the keyboard again"
    wait_until "$(until_alarm 30)" "the alarm to fire" is_restored "$WIN"
    log "the alarm rang; the window is back"
    type_into_other_program
    check_keys
    has_state "$WIN" _NET_WM_STATE_ABOVE || fail "the alarm window is not on top"
    has_state "$WIN" _NET_WM_STATE_DEMANDS_ATTENTION || fail "the alarm window does not ask for attention"
    sleep 2 # a Space that reached Start would have armed the alarm again and minimised the window
    is_restored "$WIN" || fail "the window went away again: the alarm was armed again"
    ;;
prompt)
    open_repeater_page
    click_page $REPEATER_MINUTES
    key ctrl+a
    xdotool type 1
    key Tab
    click_page $REPEATER_ASK
    click_page $REPEATER_START
    wait_until 10 "the window to minimise when the repeater starts" is_minimised "$WIN"
    start_other_program
    wait_until 120 "the screen-off prompt" find_prompt
    prompt=$(find_prompt)
    log "the prompt $prompt is up"
    import -window "$prompt" "$E2E_TMP/prompt-a.png"
    type_into_other_program
    check_keys
    ! is_active "$prompt" || fail "the prompt took the focus"
    # Still there and still counting: a key that pressed its button would have closed it after
    # the two-second pause before the screen goes off.
    sleep 3
    is_viewable "$prompt" || fail "the prompt closed: a typed key pressed its button"
    import -window "$prompt" "$E2E_TMP/prompt-b.png"
    n=$(compare -metric AE "$E2E_TMP/prompt-a.png" "$E2E_TMP/prompt-b.png" null: 2>&1 || true)
    [ "${n%%.*}" -gt 20 ] || fail "the prompt's countdown stood still"
    activate "$prompt"
    wait_until 10 "the prompt to take the focus when the user activates it" is_active "$prompt"
    key Escape
    prompt_gone() { ! is_viewable "$prompt"; }
    wait_until 10 "Esc in the activated prompt to close it" prompt_gone
    ;;
*) fail "unknown mode $mode" ;;
esac

if [ "$mode" = alarm ]; then
    # The user turns to the window: it takes the keyboard as any window does.
    activate "$WIN"
    wait_until 10 "the window to take the focus when the user activates it" is_active "$WIN"
    lacks_state "$WIN" _NET_WM_STATE_DEMANDS_ATTENTION || fail "still asks for attention after activation"
fi
log "PASS"
