#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sound server stops answering (kill -STOP) before the first sound, which holds the sound
# thread in the server; then the session ends the program (SIGTERM). The settings are saved and
# the program ends normally, although its sound thread is still stuck.
source "$(dirname "$0")/lib.sh"

PREVIEW_BUTTON="$((159 + 11)) $((214 + 11))" # SpeedButton3, beside the alarm sound list

server=$(pgrep -f "pulseaudio .*socket=${PULSE_SERVER#unix:}" | head -n1) || true
[ -n "$server" ] || fail "the private desktop's sound server was not found"
# Whatever happens, the server goes on before the scenario's clean-up needs it.
trap 'rc=$?; kill -CONT "$server" 2>/dev/null; (exit $rc); e2e_cleanup' EXIT INT TERM

start_klangor
activate "$WIN"
log "the sound server stops; the first sound goes to it and waits there"
kill -STOP "$server"
click_page $PREVIEW_BUTTON
# Pressed again, the preview finds its thread silent for too long, gives up on it (counting it
# as stuck) and plays on a new one, which waits too.
given_up() {
    click_page $PREVIEW_BUTTON
    grep -q "sound thread has not answered" "$E2E_TMP/klangor.log"
}
wait_until 60 "the player to give up on the sound thread held by the stopped server" given_up

stop_klangor
grep -q "ending without the libraries' clean-up" "$E2E_TMP/klangor.log" ||
    fail "the program did not see its stuck sound thread at the end"
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC after SIGTERM (134: it aborted)"
[ "$(setting xMinutes)" = 60 ] || fail "the settings were not saved"
kill -CONT "$server"
log "PASS"
