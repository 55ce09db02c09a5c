#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Settings survive a restart: the user changes the repeater's period and the language in the
# window, the program ends with SIGTERM, and the next start shows both again.
source "$(dirname "$0")/lib.sh"

period_box=$(page_box "$REPEATER_MINUTES_BOX")
start_box=$(page_box "$START_BUTTON_BOX")

start_klangor
activate "$WIN"
switch_language # English -> Turkish
snapshot start_turkish $start_box
open_repeater_page
click_page $REPEATER_MINUTES
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
wait_until 10 "the second start to show the Start button in Turkish" looks_like start_turkish $start_box
open_repeater_page
pointer_away
wait_until 10 "the second start to show the period 7" looks_like period_seven $period_box
stop_klangor
[ "$(setting lang)" = TR ] && [ "$(setting xMinutes)" = 7 ] || fail "the second run lost the settings"
log "PASS"
