#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# klangor.exe under wine on a private desktop (Xvfb, openbox, a notification area, a PulseAudio
# null sink), driven as a user would, in the wine prefix of the run (tools/windows/test.sh):
#   1. English locale (en_GB: a 24-hour clock, like the Linux scenarios): the window shows with
#      its caption, stays on top, and keeps its size: the window manager offers neither
#      maximise nor resize, and a request for another size changes nothing; a time typed a few
#      seconds ahead and F5 arm the alarm, which rings on the sink through wine's sound driver;
#      closed from the window manager, the settings are in the registry.
#   2. Turkish locale, no settings yet: the program starts in Turkish and keeps that choice.
#   3. The user types into another program (KLANGOR_KEY_RECORDER) while the alarm rings and
#      while the repeater's screen-off prompt appears (the main window minimised): every key
#      reaches that program, Klangor takes none.
#   4. A shut-down pending after the alarm: a balloon from the program's icon in the
#      notification area says so; Stop in the window takes it away; a click on the icon brings
#      the window to the front.
#   5. The command line: --version answers on the standard output, a mistake on the standard
#      error with exit code 2 and no window.
#
#   e2e_wine.sh KLANGOR_EXE [SCREENSHOT_DIR]
# With SCREENSHOT_DIR it also leaves klangor-windows-en.png and klangor-windows-tr.png there.
set -euo pipefail
exe=$1
shots=${2:-}
: "${WINEPREFIX:?run through tools/windows/test.sh, which prepares a private wine prefix}"
: "${KLANGOR_KEY_RECORDER:?KLANGOR_KEY_RECORDER names the key recorder of the host build}"
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

# The notification area of the desktop (a panel of the kind openbox users run), into which wine
# docks the programs' icons.
trayer --edge bottom --align right --widthtype request --height 24 >"$E2E_TMP/trayer.log" 2>&1 &
track $!
tray_panel() { xdotool search --classname '^panel$' 2>/dev/null | head -n1; }
wait_until 20 "the notification area" tray_panel

# Gives the main window the keyboard as the user would. A window that has just come back
# refuses it for a moment (so that the window manager does not hand it the keys the user types
# elsewhere): ask until it takes it.
take_focus() { xdotool windowactivate "$1" >/dev/null 2>&1; sleep 0.3; is_active "$1"; }
focus_klangor() { wait_until 20 "the window to take the focus when the user activates it" take_focus "$WIN"; }

registry() { "$wine" reg query 'HKCU\Vostrel\klangor2' 2>/dev/null | tr -d '\r'; }
registry_value() { registry | awk -v name="$1" '$1 == name {print $3}'; }

# Closes the window from the window manager (wine has no SIGTERM path to a clean end) and waits
# for the process.
close_klangor() {
    focus_klangor
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
# A fixed window: nothing offers another size, and a request for one changes nothing.
allowed=$(xprop -id "$WIN" _NET_WM_ALLOWED_ACTIONS)
[[ "$allowed" != *MAXIMIZE* && "$allowed" != *_NET_WM_ACTION_RESIZE* ]] \
    || fail "the window manager offers another size: $allowed"
client_size() { xwininfo -id "$WIN" | awk '$1 == "Width:" {w = $2} $1 == "Height:" {h = $2} END {print w "x" h}'; }
client_left() { xwininfo -id "$WIN" | awk '/Absolute upper-left X:/ {print $4}'; }
[ "$(client_size)" = 368x345 ] || fail "the window is $(client_size), expected 368x345"
xdotool windowsize "$WIN" 600 500
# The window manager answers requests in order: once the move that follows has happened, the
# resize request has been dealt with too.
left=$(client_left)
xdotool windowmove "$WIN" $((left - 40)) 100
moved() { [ "$(client_left)" != "$left" ]; }
wait_until 10 "the window to move" moved
[ "$(client_size)" = 368x345 ] || fail "a resize request made the window $(client_size)"
log "fixed at 368x345: $allowed"
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
# The window's return is the strict check; a busy sound server may place a new sound up to a
# second early in what it records.
awk -v t="$ALARM_AT" -v o="$onset" 'BEGIN { exit !(o >= t - 1.3 && o < t + 5) }' \
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

# --- 3. The keyboard stays with the user's program -----------------------------------------
"$wine" reg delete 'HKCU\Vostrel\klangor2' /f >/dev/null
WINE_LANG=en_GB.UTF-8
KEYS="$E2E_TMP/keys"
start_other_program() {
    "$KLANGOR_KEY_RECORDER" "Other program" >"$KEYS" 2>"$E2E_TMP/recorder.log" &
    OTHER_PID=$!
    track "$OTHER_PID"
    wait_until 20 "the other program's window" grep -q '^ready ' "$KEYS"
    OTHER=$(printf '%d' "$(sed -n 's/^ready //p' "$KEYS" | head -n1)")
    activate "$OTHER"
    wait_until 10 "the other program to have the focus" is_active "$OTHER"
}
EXPECTED=(h e l l o space w o r l d Return space)
keys_received() { sed -n 's/^key //p' "$KEYS"; }
all_keys_arrived() { [ "$(keys_received | wc -l)" -ge ${#EXPECTED[@]} ]; }
# Types words, Space and Enter (the keys that would press a focused button) into the other
# program and checks that all of them, and only they, arrived there.
type_and_check() {
    xdotool type --delay 40 "hello world"
    key Return space
    wait_until 10 "the typed keys to reach the other program" all_keys_arrived
    local got
    got=$(keys_received | tr '\n' ' ')
    [ "$got" = "${EXPECTED[*]} " ] || fail "$1: the other program received '$got', expected '${EXPECTED[*]} '"
    is_active "$OTHER" || fail "$1: the other program lost the focus (active: $(xdotool getactivewindow))"
    log "$1: every key reached the other program"
}
end_other_program() { kill "$OTHER_PID"; wait "$OTHER_PID" 2>/dev/null || true; }

start_klangor
activate "$WIN"
set_alarm_in 8
key F5
wait_until 10 "the window to minimise after F5" is_minimised "$WIN"
start_other_program
wait_until 30 "the alarm to bring the window back" is_restored "$WIN"
type_and_check "at the alarm"
has_state "$WIN" _NET_WM_STATE_ABOVE || fail "the alarm window is not on top"
# A Space that reached Start would have armed the alarm again and minimised the window; the
# window showing the Start button unchanged a moment later is the sign it did not.
sleep 2
is_restored "$WIN" || fail "the window went away again: a typed key armed the alarm"
end_other_program

focus_klangor
open_repeater_page
click_page $REPEATER_MINUTES
key ctrl+a
xdotool type 1
key Tab
click_page $REPEATER_ASK
click_page $REPEATER_START
wait_until 10 "the window to minimise when the repeater starts" is_minimised "$WIN"
start_other_program
wait_until 120 "the screen-off prompt, with the main window minimised" find_prompt
prompt=$(find_prompt)
is_minimised "$WIN" || fail "the main window came back with the prompt"
type_and_check "at the prompt"
# Still there: Space or Enter pressing its button would have closed it after two seconds.
sleep 3
is_viewable "$prompt" || fail "the prompt closed: a typed key pressed its button"
end_other_program
close_klangor

# --- 4. A pending shut-down is told in a balloon ---------------------------------------------
"$wine" reg delete 'HKCU\Vostrel\klangor2' /f >/dev/null
# Wine's notification area shows a balloon as a top-level window of its own (explorer.exe)
# beside the icon, which is docked in the panel.
balloon() {
    local id info
    for id in $(xdotool search --all --onlyvisible --classname '^explorer.exe$' 2>/dev/null); do
        info=$(xwininfo -children -id "$id")
        [[ "$info" == *"Parent window id:"*"(the root window)"* && "$info" != *"Width: 1"$'\n'* ]] \
            && { echo "$id"; return 0; }
    done
    return 1
}
no_balloon() { ! balloon; }
docked_icon() { [ "$(xwininfo -children -id "$(tray_panel)" | awk '/ child(ren)?[:.]/ {print $1; exit}')" -gt 0 ]; }
start_klangor
activate "$WIN"
choose_action 5 # "Shut down"
set_alarm_in 6
key F5
wait_until 10 "the window to minimise" is_minimised "$WIN"
wait_until 30 "the alarm to fire" is_restored "$WIN"
wait_until 10 "the balloon of the pending shut-down" balloon
docked_icon || fail "no icon of the program in the notification area"
import -window root "$E2E_TMP/balloon.png"
log "a balloon says that the shut-down comes"
click_page $STOP_BUTTON # long before the 15 s are over; under wine it would only end wine's session
wait_until 10 "Stop to take the balloon away" no_balloon
log "Stop took the balloon away"
# The icon stays; a click on it brings the window, as a click on the balloon does.
xdotool windowminimize "$WIN"
wait_until 10 "the window to minimise" is_minimised "$WIN"
read -r px py < <(xwininfo -id "$(tray_panel)" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2} END {print x + w / 2, y + h / 2}')
xdotool mousemove "$px" "$py" click 1
wait_until 10 "a click on the icon to bring the window" is_restored "$WIN"
wait_until 10 "the window to take the focus after the click" is_active "$WIN"
close_klangor

# --- 5. The command line ------------------------------------------------------------------------
rc=0
out=$("$wine" "$exe" --version 2>/dev/null | tr -d '\r') || rc=$?
[ "$rc" -eq 0 ] && [ "$out" = "Klangor 2.6.0" ] || fail "--version: exit code $rc: '$out'"
rc=0
"$wine" "$exe" --in 1x >"$E2E_TMP/bad.out" 2>"$E2E_TMP/bad.err" || rc=$?
[ "$rc" -eq 2 ] || fail "--in 1x: exit code $rc, expected 2"
grep -q "^klangor: .*'1x'" "$E2E_TMP/bad.err" || fail "--in 1x: no message on stderr: $(cat "$E2E_TMP/bad.err")"
[ ! -s "$E2E_TMP/bad.out" ] || fail "--in 1x printed on stdout"
[ -z "$(xdotool search --name '^Tempiro' 2>/dev/null)" ] || fail "a window appeared for a bad value"
log "the command line answers in the console: $out"
log "PASS"
