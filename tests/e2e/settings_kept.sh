#!/usr/bin/env bash
# Settings survive a restart: the user changes the repeater's period and the language in the
# window, the program ends with SIGTERM, and the next start shows both again.
source "$(dirname "$0")/lib.sh"

period_box="$((PAGE_X + 141)) $((PAGE_Y + 182)) 46 23"
start_box="$((PAGE_X + 237)) $((PAGE_Y + 6)) 109 32"

start_klangor
activate "$WIN"
snapshot start_english $start_box
click_at $((199 + 107 + 15)) $((1 + 3 + 12)) # lnlLang: English -> Turkish
wait_until 10 "the Turkish captions" differs_from start_english $start_box
snapshot start_turkish $start_box
open_repeater_page
sleep 0.5
click_page $((141 + 20)) $((182 + 11)) # xMinutes
key ctrl+a
xdotool type 7
key Tab
pointer_away
snapshot period_seven $period_box
stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC after SIGTERM"
[ "$(setting lang)" = TR ] || fail "saved lang=$(setting lang), expected TR"
[ "$(setting xMinutes)" = 7 ] || fail "saved xMinutes=$(setting xMinutes), expected 7"

start_klangor
activate "$WIN"
sleep 0.5
! differs_from start_turkish $start_box || fail "the second start is not in Turkish"
open_repeater_page
pointer_away
sleep 0.3
! differs_from period_seven $period_box || fail "the second start does not show the period 7"
stop_klangor
[ "$(setting lang)" = TR ] && [ "$(setting xMinutes)" = 7 ] || fail "the second run lost the settings"
log "PASS"
