#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# klangor.exe under wine on a private desktop (Xvfb, openbox, a PulseAudio null sink), driven
# as a user would, in the wine prefix of the run (tools/windows/test.sh):
#   1. English locale (en_GB: a 24-hour clock, like the Linux scenarios): the window shows with its caption and stays on top; a time typed a few
#      seconds ahead and F5 arm the alarm, which rings on the sink through wine's sound driver;
#      closed from the window manager, the settings are in the registry.
#   2. Turkish locale, no settings yet: the program starts in Turkish and keeps that choice.
#
#   e2e_wine.sh KLANGOR_EXE [SCREENSHOT_DIR]
# With SCREENSHOT_DIR it also leaves klangor-windows-en.png and klangor-windows-tr.png there.
set -euo pipefail
exe=$1
shots=${2:-}
: "${WINEPREFIX:?run through tools/windows/test.sh, which prepares a private wine prefix}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
bin_dir=$(mktemp -d /tmp/klangor-wine-bin.XXXXXX)
# The program as lib.sh starts it: exec keeps the process id, which its window carries.
cat >"$bin_dir/klangor" <<SCRIPT
#!/bin/sh
exec env LANG="\$WINE_LANG" LC_ALL="\$WINE_LANG" "$wine" "$exe"
SCRIPT
chmod +x "$bin_dir/klangor"
export KLANGOR_BIN=$bin_dir/klangor WINE_LANG=en_GB.UTF-8
source "$(dirname "$0")/../../e2e/lib.sh"
# lib.sh's cleanup passes on the status it finds: hand it the scenario's, not rm's.
trap 'status=$?; rm -rf "$bin_dir"; set +e; (exit $status); e2e_cleanup' EXIT INT TERM

registry() { "$wine" reg query 'HKCU\Vostrel\klangor2' 2>/dev/null | tr -d '\r'; }
registry_value() { registry | awk -v name="$1" '$1 == name {print $3}'; }

# Closes the window from the window manager (wine has no SIGTERM path to a clean end) and waits
# for the process.
close_klangor() {
    activate "$WIN"
    key alt+F4
    local deadline=$((SECONDS + 30))
    while kill -0 "$KLANGOR_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
    kill -0 "$KLANGOR_PID" 2>/dev/null && fail "klangor.exe did not end within 30 s of Alt+F4"
    wait "$KLANGOR_PID" || true
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
    log "klangor.exe ended"
}

shot() {
    [ -n "$shots" ] || return 0
    sleep 0.5
    import -frame -window "$WIN" -strip "$shots/$1"
    log "wrote $shots/$1"
}

# --- 1. English -----------------------------------------------------------------------------
"$wine" reg delete 'HKCU\Vostrel\klangor2' /f >/dev/null 2>&1 || true
start_klangor
[ "$(window_name "$WIN")" = "$TITLE" ] || fail "caption \"$(window_name "$WIN")\", expected \"$TITLE\""
has_state "$WIN" _NET_WM_STATE_ABOVE || fail "the window is not kept above others: $(wm_state "$WIN")"
activate "$WIN"
pointer_away
shot klangor-windows-en.png
set_alarm_in 8
record_start
key F5
wait_until 10 "the window to minimise after F5" is_minimised "$WIN"
log "armed, minimised"
wait_until 30 "the window to come back" is_restored "$WIN"
wait_until 15 "the alarm sound on the sink, through wine" heard
onset=$(awk -v s="$REC_START" -v o="$(sound_onset)" 'BEGIN { printf "%.2f", s + o }')
awk -v t="$ALARM_AT" -v o="$onset" 'BEGIN { exit !(o >= t - 0.3 && o < t + 5) }' \
    || fail "sound at $onset, alarm time $ALARM_AT"
record_stop
log "rang at $(date -d "@$onset" +%T.%N | cut -c1-12), alarm time $(date -d "@$ALARM_AT" +%T)"
close_klangor
log "registry: $(registry | tr '\n' ' ')"
[ "$(registry_value lang)" = ENG ] || fail "HKCU\\Vostrel\\klangor2 lang is \"$(registry_value lang)\", expected ENG"
[ -n "$(registry_value xMinutes)" ] || fail "HKCU\\Vostrel\\klangor2 lacks xMinutes"

# --- 2. Turkish -----------------------------------------------------------------------------
"$wine" reg delete 'HKCU\Vostrel\klangor2' /f >/dev/null
WINE_LANG=tr_TR.UTF-8
start_klangor
activate "$WIN"
pointer_away
shot klangor-windows-tr.png
close_klangor
[ "$(registry_value lang)" = TR ] || fail "in a Turkish locale lang is \"$(registry_value lang)\", expected TR"
log "PASS"
