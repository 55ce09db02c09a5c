#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A document picked for "Execute Command" that the desktop's opener cannot open: the opener is
# started (the request is made), says it has no program for the file, and the user is told in a
# notification with the opener's own words, as for a refused power action. The opener here is a
# stand-in on PATH that answers as xdg-open does without a program for the type.
source "$(dirname "$0")/lib.sh"

: "${KLANGOR_SERVICES_STAND_IN:?KLANGOR_SERVICES_STAND_IN names the stand-in desktop services}"
NOTES="$E2E_TMP/notes"
"$KLANGOR_SERVICES_STAND_IN" --notifications >"$NOTES" 2>"$E2E_TMP/stand-in.log" &
track $!
wait_until 20 "the stand-in notification service" grep -q '^ready$' "$NOTES"

mkdir -p "$E2E_TMP/bin"
cat >"$E2E_TMP/bin/xdg-open" <<OPENER
#!/bin/sh
printf '%s\n' "\$1" >>"$E2E_TMP/opened"
echo "xdg-open: no method available for opening '\$1'" >&2
exit 3
OPENER
chmod +x "$E2E_TMP/bin/xdg-open"
document="$E2E_TMP/report.zzq"
echo "figures" >"$document"

PATH="$E2E_TMP/bin:$PATH" "$KLANGOR_BIN" --in 1m --action "$document" >"$E2E_TMP/klangor.log" 2>&1 &
KLANGOR_PID=$!
track "$KLANGOR_PID"
wait_until 30 "the main window" find_main_window
WIN=$(find_main_window)
wait_until 10 "the window to minimise" is_minimised "$WIN"
wait_until 90 "the window to come back at the alarm" is_restored "$WIN"
wait_until 10 "the notice of the coming opening" grep -q "^Notify .*Opening $document in 15 seconds" "$NOTES"
wait_until 30 "the opener to be asked" test -s "$E2E_TMP/opened"
[ "$(cat "$E2E_TMP/opened")" = "$document" ] || fail "the opener got: $(cat "$E2E_TMP/opened")"
wait_until 10 "the notification that it could not open" \
    grep -q "^Notify .*Could not open: $document (xdg-open: no method available for opening" "$NOTES"
log "notification: $(grep 'Could not open' "$NOTES" | head -n1)"
stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
log "PASS"
