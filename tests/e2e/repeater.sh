#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The repeater with the screen-off question: a one-minute period with "Ask question" ticked.
# 60 to 90 s after the start the prompt window appears above the others, counts down, and
# closes by itself about 11 s later; the first warning sounds on the sink.
source "$(dirname "$0")/lib.sh"

start_klangor
activate "$WIN"
open_repeater_page
click_page $REPEATER_MINUTES
key ctrl+a
xdotool type 1
key Tab
pointer_away
snapshot ask_unticked $(page_box "$REPEATER_ASK_BOX")
click_page $REPEATER_ASK
pointer_away
wait_until 10 "\"Ask question\" to be ticked" differs_from ask_unticked $(page_box "$REPEATER_ASK_BOX")
record_start
started=$SECONDS
click_page $REPEATER_START
wait_until 10 "the window to minimise when the repeater starts" is_minimised "$WIN"
log "repeater started with a one-minute period"

wait_until 120 "the screen-off prompt" find_prompt
prompt=$(find_prompt)
shown=$SECONDS
after=$((shown - started))
log "prompt $prompt shown ${after}s after the start"
# (Each moment is seen only as often as it is looked for, which a busy machine makes slower.)
[ "$after" -ge 58 ] && [ "$after" -le 100 ] || fail "prompt after ${after}s, expected 60 to 90"
has_state "$prompt" _NET_WM_STATE_ABOVE || fail "the prompt does not stay on top"

wait_until 10 "the first warning on the sink" heard
log "first warning heard"

# The countdown runs: the prompt's label changes from second to second.
import -window "$prompt" "$E2E_TMP/prompt-a.png"
countdown_moved() {
    import -window "$prompt" "$E2E_TMP/prompt-b.png" 2>/dev/null || return 1
    local n
    n=$(compare -metric AE "$E2E_TMP/prompt-a.png" "$E2E_TMP/prompt-b.png" null: 2>&1 || true)
    [ "${n%%.*}" -gt 20 ] 2>/dev/null
}
wait_until 10 "the prompt's countdown to move" countdown_moved

prompt_gone() { ! is_viewable "$prompt"; }
wait_until 30 "the prompt to close by itself" prompt_gone
open_for=$((SECONDS - shown))
log "prompt closed by itself after ${open_for}s"
[ "$open_for" -ge 7 ] && [ "$open_for" -le 20 ] || fail "prompt open ${open_for}s, expected about 11"
log "PASS"
