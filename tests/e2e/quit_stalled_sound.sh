#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sound server stops answering (kill -STOP) and a sound is asked for, which holds the sound
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
record_start
click_page $PREVIEW_BUTTON
wait_until 30 "the preview's sound" heard
record_stop
log "the preview played; the sound server stops, and the preview is pressed again"
kill -STOP "$server"
click_page $PREVIEW_BUTTON
sleep 1

stop_klangor
grep -q "sound thread did not end" "$E2E_TMP/klangor.log" ||
    fail "the sound thread was not held by the stopped server: the scenario tests nothing"
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC after SIGTERM (134: it aborted)"
[ "$(setting xMinutes)" = 60 ] || fail "the settings were not saved"
kill -CONT "$server"
log "PASS"
