#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The language button at the top right switches the window's texts; the choice is kept in the
# settings when the program ends.
source "$(dirname "$0")/lib.sh"

start_klangor
activate "$WIN"
wait_until 10 "the window to take the focus" is_active "$WIN"
import -window "$WIN" "$E2E_TMP/before.png"
switch_language
import -window "$WIN" "$E2E_TMP/after.png"
# The Start button and the labels change their words: the window looks different.
changed=$(compare -metric AE "$E2E_TMP/before.png" "$E2E_TMP/after.png" null: 2>&1 || true)
log "pixels changed by the switch: $changed"
[ "${changed%%.*}" -gt 200 ] || fail "the window did not change after the language button"

stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
lang=$(setting lang)
[ "$lang" = TR ] || fail "settings say lang=$lang after switching from English, expected TR"

# And back: from Turkish to English writes ENG.
start_klangor
activate "$WIN"
switch_language
stop_klangor
lang=$(setting lang)
[ "$lang" = ENG ] || fail "settings say lang=$lang after switching back, expected ENG"
log "PASS"
