#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The command line as a user meets it: --help and --version print and end without a window or
# even a display; a bad value is one line on stderr, exit code 2 and no window; and
# `klangor --in 1m --note Tea` starts minimised, rings a minute later with the window back and
# the note in the desktop notification, and saves nothing of it.
source "$(dirname "$0")/lib.sh"

no_display() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$KLANGOR_BIN" "$@"; }

rc=0
out=$(no_display --help 2>&1) || rc=$?
[ "$rc" -eq 0 ] || fail "--help without a display: exit code $rc: $out"
for option in --at --in --note --action --repeater --version; do
    [[ "$out" == *"$option"* ]] || fail "--help does not list $option: $out"
done
rc=0
out=$(no_display --version 2>&1) || rc=$?
[ "$rc" -eq 0 ] && [ "$out" = "Klangor 2.6.0" ] || fail "--version: exit code $rc: $out"
log "--help and --version need no display"

# A mistake, with a display there: one line, exit code 2, and no window ever shows.
rc=0
timeout 20 "$KLANGOR_BIN" --in 1x >"$E2E_TMP/bad.out" 2>"$E2E_TMP/bad.err" || rc=$?
[ "$rc" -eq 2 ] || fail "--in 1x: exit code $rc, expected 2"
[ "$(wc -l <"$E2E_TMP/bad.err")" -eq 1 ] || fail "--in 1x: not one line: $(cat "$E2E_TMP/bad.err")"
grep -q "'1x'" "$E2E_TMP/bad.err" || fail "--in 1x: the message does not name the value"
[ ! -s "$E2E_TMP/bad.out" ] || fail "--in 1x printed on stdout"
[ -z "$(xdotool search --name '^Tempiro' 2>/dev/null)" ] || fail "a window appeared for a bad value"
log "bad value: $(cat "$E2E_TMP/bad.err")"

# The notification service, so that the note's notification can be seen.
: "${KLANGOR_SERVICES_STAND_IN:?KLANGOR_SERVICES_STAND_IN names the stand-in desktop services}"
NOTES="$E2E_TMP/notes"
"$KLANGOR_SERVICES_STAND_IN" --notifications >"$NOTES" 2>"$E2E_TMP/stand-in.log" &
track $!
wait_until 20 "the stand-in notification service" grep -q '^ready$' "$NOTES"

record_start
started=$(date +%s.%N)
# Started as from a terminal; the window goes to the taskbar at once, so it is never mapped.
"$KLANGOR_BIN" --in 1m --note Tea >"$E2E_TMP/klangor.log" 2>&1 &
KLANGOR_PID=$!
track "$KLANGOR_PID"
wait_until 30 "the main window" find_main_window
WIN=$(find_main_window)
wait_until 10 "the window to minimise" is_minimised "$WIN"
# The alarm was armed between the start and now (it minimises the window as it is armed): a
# busy machine may take a while to start the program.
minimised=$(date +%s.%N)
log "started with an alarm in a minute, minimised"
wait_until 90 "the alarm sound on the sink" heard
onset=$(sound_time)
delay=$(awk -v a="$started" -v o="$onset" 'BEGIN { printf "%.2f", o - a }')
late=$(awk -v m="$minimised" -v o="$onset" 'BEGIN { printf "%.2f", o - m - 60 }')
log "sound ${delay}s after the start, ${late}s past a minute after the window was seen minimised"
# (In the recording the sound can seem up to the sound server's buffer early.)
awk -v d="$delay" -v l="$late" 'BEGIN { exit !(d >= 59 && l < 8) }' || fail "alarm after ${delay}s, not a minute"
wait_until 10 "the window to come back" is_restored "$WIN"
wait_until 10 "the notification with the note" grep -q '^Notify .* Klangor Tea ' "$NOTES"
log "notification: $(grep '^Notify' "$NOTES" | head -n1)"

stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
grep -q Tea "$SETTINGS" && fail "the note was saved"
log "PASS"
