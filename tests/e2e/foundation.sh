#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program starts on a real desktop: its window is mapped, carries its title, stays above
# other windows (also when another one has the focus), cannot be resized or maximised, and a
# SIGTERM ends it cleanly through its close handler. Without any display it says so and fails.
source "$(dirname "$0")/lib.sh"

# No display at all: one clear line, non-zero exit, no window.
rc=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$KLANGOR_BIN" 2>&1) || rc=$?
[ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || fail "without a display the program exited with $rc"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "expected one line without a display, got: $out"
grep -qi 'display' <<<"$out" || fail "the message does not mention the display: $out"
log "no display: exit $rc, \"$out\""

[ ! -e "$SETTINGS" ] || fail "the configuration folder is not clean"
start_klangor

name=$(window_name "$WIN")
[ "$name" = "$TITLE" ] || fail "window title is \"$name\", expected \"$TITLE\""

# The desktop entry finds its window by class (a menu's start-up feedback, a dock's grouping).
wm_class=$(xprop -id "$WIN" WM_CLASS)
entry_class=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../../dist/klangor.desktop")
[[ "$wm_class" == *"\"$entry_class\""* ]] || fail "WM_CLASS $wm_class lacks the entry's $entry_class"

wait_until 10 "_NET_WM_STATE_ABOVE" has_state "$WIN" _NET_WM_STATE_ABOVE
hints=$(xprop -id "$WIN" WM_NORMAL_HINTS)
min=$(sed -n 's/.*program specified minimum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
max=$(sed -n 's/.*program specified maximum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
[ "$min" = "368 by 345" ] && [ "$max" = "368 by 345" ] \
    || fail "size hints min \"$min\" max \"$max\", expected 368 by 345 for both"
actions=$(xprop -id "$WIN" _NET_WM_ALLOWED_ACTIONS)
for forbidden in _NET_WM_ACTION_MAXIMIZE_HORZ _NET_WM_ACTION_MAXIMIZE_VERT _NET_WM_ACTION_RESIZE; do
    ! grep -q "$forbidden" <<<"$actions" || fail "the window manager allows $forbidden"
done
grep -q _NET_WM_ACTION_MINIMIZE <<<"$actions" || fail "the window cannot be minimised"
icons=$(xprop -id "$WIN" _NET_WM_ICON)
[[ "$icons" == *"Icon (32 x 32)"* ]] || fail "the window has no 32 px icon"

# It opens in the middle of the screen (its frame, as the window manager draws it, is centred).
read -r left right top bottom < <(xprop -id "$WIN" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
info=$(xwininfo -id "$WIN")
x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
read -r sw sh < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
dx=$(((x - left) * 2 + left + 368 + right - sw))
dy=$(((y - top) * 2 + top + 345 + bottom - sh))
[ "${dx#-}" -le 4 ] && [ "${dy#-}" -le 4 ] \
    || fail "window at $x,$y on a ${sw}x$sh screen is not centred (off by $((dx / 2)),$((dy / 2)))"

# A user's gestures to maximise and resize: a double click on the title bar, and openbox's
# Alt + right-button drag. Tried first on another program's window, which they do change, then
# on ours, which they must not.
xmessage -geometry 300x200+20+20 -title e2e-other-program "another program" 2>/dev/null &
other_pid=$!
track "$other_pid"
wait_until 20 "the other window" xdotool search --name '^e2e-other-program$'
other=$(xdotool search --name '^e2e-other-program$' | head -n1)
wait_until 10 "the other window to be mapped" is_viewable "$other"
geometry() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'; }
double_click_title() {
    xdotool mousemove --window "$1" 60 -10 sleep 0.1 click --repeat 2 --delay 80 1
}
alt_drag_resize() {
    xdotool mousemove --window "$1" 100 100 keydown alt sleep 0.1 mousedown 3 sleep 0.1 \
        mousemove_relative 60 60 sleep 0.1 mousemove_relative 60 60 sleep 0.1 mouseup 3 keyup alt
}
double_click_title "$other"
wait_until 10 "the control window to maximise" has_state "$other" _NET_WM_STATE_MAXIMIZED
double_click_title "$other" # and back
wait_until 10 "the control window to unmaximise" lacks_state "$other" _NET_WM_STATE_MAXIMIZED
before=$(geometry "$other")
alt_drag_resize "$other"
changed_size() { [ "$(geometry "$other")" != "$before" ]; }
wait_until 10 "the control window to be resized" changed_size

[ "$(geometry "$WIN")" = "368x345" ] || fail "initial size $(geometry "$WIN")"
double_click_title "$WIN"
alt_drag_resize "$WIN"
xdotool windowsize "$WIN" 600 500
sleep 1 # the size must stay: there is no change to wait for, only time for one to happen
[ "$(geometry "$WIN")" = "368x345" ] || fail "the window was resized to $(geometry "$WIN")"
lacks_state "$WIN" _NET_WM_STATE_MAXIMIZED || fail "the window was maximised"

# Another program's window over ours, with the focus: ours stays on top.
xdotool windowmove "$other" 400 200
activate "$other"
wait_until 10 "the other window to take the focus" is_active "$other"
above_other() {
    local stacking
    stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
    local pos_ours pos_other i=0
    for id in $stacking; do
        [ $((id)) -eq "$WIN" ] && pos_ours=$i
        [ $((id)) -eq "$other" ] && pos_other=$i
        i=$((i + 1))
    done
    [ -n "${pos_ours:-}" ] && [ -n "${pos_other:-}" ] && [ "$pos_ours" -gt "$pos_other" ]
}
wait_until 10 "our window above the focused one" above_other
has_state "$WIN" _NET_WM_STATE_ABOVE || fail "lost _NET_WM_STATE_ABOVE"
kill "$other_pid"

# SIGTERM closes the window the normal way: exit code 0, settings written.
stop_klangor
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC after SIGTERM"
[ -s "$SETTINGS" ] || fail "no settings file after a clean end"
grep -q '^lang=' "$SETTINGS" || fail "settings file lacks lang"
log "PASS"
