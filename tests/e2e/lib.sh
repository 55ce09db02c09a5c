# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for the end-to-end scenarios. A scenario runs inside tools/e2e/desktop-session.sh
# (DISPLAY, PULSE_SERVER, KLANGOR_SINK_MONITOR, a fresh XDG_CONFIG_HOME) and sources this file.
# Every wait polls a condition with a generous deadline; nothing is retried.
#
# Environment from CTest: KLANGOR_BIN (the built program), KLANGOR_DOMAIN.
set -euo pipefail

: "${KLANGOR_BIN:?KLANGOR_BIN names the program under test}"
: "${KLANGOR_SINK_MONITOR:?run the scenario through tools/e2e/desktop-session.sh}"
KLANGOR_DOMAIN=${KLANGOR_DOMAIN:-vostrel.example}
# A known locale: English interface, 24-hour "HH:mm:ss" in the time picker.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
TITLE="Tempiro v2.7 [ powered by $KLANGOR_DOMAIN ]"
SETTINGS="$XDG_CONFIG_HOME/Vostrel/klangor2.conf"
E2E_TMP=$(mktemp -d /tmp/klangor-e2e.XXXXXX)
E2E_PIDS=()
KLANGOR_PID=""
WIN=""

log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*" >&2; }

dump_state() {
    log "--- state at failure ---"
    [ -n "$WIN" ] && xprop -id "$WIN" _NET_WM_STATE _NET_WM_NAME WM_STATE 2>&1 | sed 's/^/    /' >&2 || true
    [ -f "$SETTINGS" ] && sed 's/^/    settings: /' "$SETTINGS" >&2 || true
    [ -f "$E2E_TMP/klangor.log" ] && sed 's/^/    klangor: /' "$E2E_TMP/klangor.log" >&2 || true
}

fail() {
    log "FAIL: $*"
    dump_state
    exit 1
}

e2e_cleanup() {
    local rc=$?
    for pid in "${E2E_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_TMP"
    exit $rc
}
trap e2e_cleanup EXIT INT TERM

# Remembers a background process so that it ends with the scenario.
track() { E2E_PIDS+=("$1"); }

# wait_until SECONDS "what we wait for" COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_until() {
    local timeout=$1 what=$2
    shift 2
    local deadline=$((SECONDS + timeout))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out after ${timeout}s waiting for: $what"
        sleep 0.1
    done
}

# --- the program and its window -----------------------------------------------------------------

# Starts the program and waits until its main window is mapped; sets KLANGOR_PID and WIN.
start_klangor() {
    "$KLANGOR_BIN" >"$E2E_TMP/klangor.log" 2>&1 &
    KLANGOR_PID=$!
    track "$KLANGOR_PID"
    wait_until 30 "the main window" find_main_window
    WIN=$(find_main_window)
    wait_until 10 "the main window to be mapped" is_viewable "$WIN"
    log "klangor $KLANGOR_PID shows window $WIN"
}

# launch_klangor ARGS...: starts the program with a command line, as from a terminal, with the
# alarm's debug lines in its log (what the window says, when it rang); waits for its main window
# (which may go to the taskbar at once) and sets KLANGOR_PID and WIN.
launch_klangor() {
    QT_LOGGING_RULES="klangor.alarm.debug=true" "$KLANGOR_BIN" "$@" >"$E2E_TMP/klangor.log" 2>&1 &
    KLANGOR_PID=$!
    track "$KLANGOR_PID"
    wait_until 30 "the main window" find_main_window
    WIN=$(find_main_window)
    log "klangor $KLANGOR_PID ($*) has window $WIN"
}
# said TEXT: the window has shown TEXT (a line of the alarm's log).
said() { grep -qF "the window says: $1" "$E2E_TMP/klangor.log"; }

find_main_window() {
    local id
    id=$(xdotool search --all --pid "$KLANGOR_PID" --name '^Tempiro' 2>/dev/null | head -n1)
    [ -n "$id" ] && echo "$id"
}

# (Outputs are captured before matching: with pipefail, grep -q ending a pipe early fails it.)
is_viewable() { [[ "$(xwininfo -id "$1" 2>/dev/null)" == *"Map State: IsViewable"* ]]; }
wm_state() { xprop -id "$1" _NET_WM_STATE 2>/dev/null; }
has_state() { [[ "$(wm_state "$1")" == *"$2"* ]]; }
lacks_state() { ! has_state "$1" "$2"; }
is_minimised() { has_state "$1" _NET_WM_STATE_HIDDEN; }
is_restored() { lacks_state "$1" _NET_WM_STATE_HIDDEN && is_viewable "$1"; }
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
window_name() { xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }
# find_prompt: the repeater's screen-off prompt of our program, once it is mapped.
find_prompt() {
    local id
    for id in $(xdotool search --all --pid "$KLANGOR_PID" --name '^Repeater$' 2>/dev/null); do
        is_viewable "$id" && { echo "$id"; return 0; }
    done
    return 1
}

# Ends the program the way a session does (SIGTERM); sets KLANGOR_RC to its exit code.
# (Not for a command substitution: only this shell can wait for its child.)
stop_klangor() {
    kill -TERM "$KLANGOR_PID"
    local deadline=$((SECONDS + 20))
    while kill -0 "$KLANGOR_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
    kill -0 "$KLANGOR_PID" 2>/dev/null && fail "klangor did not end within 20 s of SIGTERM"
    KLANGOR_RC=0
    wait "$KLANGOR_PID" || KLANGOR_RC=$?
    log "klangor ended with exit code $KLANGOR_RC"
}

activate() { xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowactivate "$1"; }

# key KEY...: types keys into the window that has the focus, as a user would.
key() { xdotool key --clearmodifiers "$@"; }

# click_at X Y [BUTTON]: clicks at window-relative X, Y (1 left, 3 right).
click_at() {
    xdotool mousemove --window "$WIN" "$1" "$2" sleep 0.1 click "${3:-1}"
}

# The Alarm page's origin inside the window: the page area starts under the 30 px tab row.
PAGE_X=${PAGE_X:-1}
PAGE_Y=${PAGE_Y:-31}
# click_page X Y [BUTTON]: clicks at a place given in Alarm-page coordinates.
click_page() { click_at $((PAGE_X + $1)) $((PAGE_Y + $2)) "${3:-1}"; }

# --- where the controls are, as form1.ui lays them out --------------------------------------------
# A point to click ("X Y") or a box to compare ("X Y W H"); page coordinates unless named _WIN.
# Written once here, so that a change of the layout is one edit.
LANG_BUTTON_WIN="$((199 + 107 + 15)) $((1 + 3 + 12))" # lnlLang, top right, beside the tabs
REPEATER_TAB_WIN="105 15"                                # the second tab
TIME_PICKER_HOUR="87 25"                                 # the alarm picker's hour field
ACTION_LIST="140 253"                                    # the after-alarm action list
STOP_BUTTON="$((286 + 35)) $((239 + 13))"                # Stop, beside the action list
STOP_BUTTON_BOX="286 239 70 26"
SOUND_ALERT="16 169"                                     # CheckBox1
MESSAGE_ALERT="16 193"                                   # CheckBox2
START_BUTTON_BOX="237 6 109 32"
QUICK_DELAY_1="$((75 + 10 + 20)) $((42 + 64 + 16))"      # the delay panel's first minute button
QUICK_DELAY_1_BOX="85 106 40 32"
REPEATER_MINUTES="$((141 + 20)) $((182 + 11))"           # xMinutes, on the repeater page
REPEATER_MINUTES_BOX="141 182 46 23"
REPEATER_ASK="$((8 + 8)) $((246 + 8))"                   # chkTurnOff
REPEATER_ASK_BOX="8 246 16 16"
REPEATER_START="$((8 + 72)) $((10 + 16))"                # repeater_start
PAGE_BOX="0 0 366 310"                                   # the whole page under the tabs

# page_box NAME: prints a page box in window coordinates, for snapshot and differs_from.
page_box() {
    local x y w h
    read -r x y w h <<<"$1"
    echo "$((PAGE_X + x)) $((PAGE_Y + y)) $w $h"
}

# Moves the pointer to an empty spot of the page, so that no control shows its hover look.
pointer_away() { xdotool mousemove --window "$WIN" $((PAGE_X + 180)) $((PAGE_Y + 120)); sleep 0.2; }

# The language button: switches the texts and waits until the Start button shows the other words.
switch_language() {
    snapshot before_switch $(page_box "$START_BUTTON_BOX")
    click_at $LANG_BUTTON_WIN
    wait_until 10 "the captions in the other language" differs_from before_switch $(page_box "$START_BUTTON_BOX")
}

# --- controls (places in page coordinates, as the window lays them out) ------------------------

# set_alarm_in SECONDS: types the time of day SECONDS from now into the alarm time picker, as a
# user would; sets ALARM_AT (seconds since the epoch). The caller presses Start or F5 next, at
# once. Typing takes a while on a busy machine: when less than half of SECONDS (and less than
# 5 s) is left once it is typed, it types again with a later time, so that the alarm is never
# armed for a time already past (which would be tomorrow).
set_alarm_in() {
    local ahead=$1 typed_at left
    for _ in 1 2 3 4 5; do
        ALARM_AT=$(($(date +%s) + ahead))
        typed_at=$(date +%s)
        click_page $TIME_PICKER_HOUR
        sleep 0.2
        # Leave and re-enter the picker with the keyboard: entering selects its hour field, and
        # each complete field moves on to the next one while typing.
        key shift+Tab
        sleep 0.1
        key Tab
        sleep 0.1
        xdotool type --delay 60 "$(date -d "@$ALARM_AT" +%H%M%S)"
        left=$((ALARM_AT - $(date +%s)))
        if [ "$left" -ge 5 ] && [ $((2 * left)) -ge "$1" ]; then
            log "alarm time set to $(date -d "@$ALARM_AT" +%T), ${left}s ahead"
            return 0
        fi
        log "typing $(date -d "@$ALARM_AT" +%T) left only ${left}s; typing a later time"
        ahead=$((ahead + 2 * ($(date +%s) - typed_at) + 5))
    done
    fail "typing an alarm time never left it ahead: the desktop does not take keys"
}

# until_alarm SECONDS: SECONDS more than are left until ALARM_AT, as a limit for waiting for it.
until_alarm() { echo $((ALARM_AT - $(date +%s) + $1)); }

# popup_shown: a window of the program other than the main window is mapped (a list's pop-up,
# a menu, a dialog). no_popup: none is.
popup_shown() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$KLANGOR_PID" '' 2>/dev/null); do
        [ "$id" != "$WIN" ] && return 0
    done
    return 1
}
no_popup() { ! popup_shown; }

# choose_action INDEX: picks entry INDEX of the after-alarm action list with the keyboard.
choose_action() {
    click_page $ACTION_LIST # opens the list, which gives it the focus
    wait_until 10 "the action list to open" popup_shown
    key Escape
    wait_until 10 "the action list to close" no_popup
    key Home
    for _ in $(seq "$1"); do key Down; done
}

# Opens the repeater page and waits until it shows.
open_repeater_page() {
    snapshot before_tab $(page_box "$PAGE_BOX")
    click_at $REPEATER_TAB_WIN
    wait_until 10 "the repeater page" differs_from before_tab $(page_box "$PAGE_BOX")
}

# --- what the window shows ---------------------------------------------------------------------

# snapshot NAME X Y W H: saves that part of the window (window coordinates) as NAME.png.
snapshot() {
    import -window "$WIN" -crop "${4}x${5}+${2}+${3}" +repage "$E2E_TMP/$1.png" 2>/dev/null
}

# differs_from NAME X Y W H: that part of the window now looks different from snapshot NAME.
differs_from() {
    snapshot now "$2" "$3" "$4" "$5" || return 1
    local n
    n=$(compare -metric AE "$E2E_TMP/$1.png" "$E2E_TMP/now.png" null: 2>&1 || true)
    [ "${n%%.*}" -gt 30 ] 2>/dev/null
}

# looks_like NAME X Y W H: that part of the window looks as it did in snapshot NAME.
looks_like() {
    snapshot now "$2" "$3" "$4" "$5" || return 1
    local n
    n=$(compare -metric AE "$E2E_TMP/$1.png" "$E2E_TMP/now.png" null: 2>&1 || true)
    [ "${n%%.*}" -le 30 ] 2>/dev/null
}

# --- settings -----------------------------------------------------------------------------------

# setting KEY: prints the value of KEY in the settings file.
setting() { sed -n "s/^$1=//p" "$SETTINGS" | tr -d '\r"'; }

# --- sound --------------------------------------------------------------------------------------

# Starts recording what the null sink plays, into $E2E_TMP/rec.raw (16-bit stereo, 44.1 kHz).
record_start() {
    REC="$E2E_TMP/rec.raw"
    : >"$REC"
    parec --latency-msec=20 -d "$KLANGOR_SINK_MONITOR" --format=s16le --rate=44100 --channels=2 \
        --raw >"$REC" 2>"$E2E_TMP/parec.log" &
    REC_PID=$!
    track "$REC_PID"
    # The sink always plays (silence at least), so samples flow as soon as parec is connected.
    # The recording began as long before now as the samples already written last.
    wait_until 20 "the recording to start" test -s "$REC"
    local now bytes
    now=$(date +%s.%N)
    bytes=$(stat -c %s "$REC")
    REC_START=$(awk -v n="$now" -v b="$bytes" 'BEGIN { printf "%.3f", n - b / (44100 * 4) }')
}

record_stop() { kill -TERM "$REC_PID" 2>/dev/null || true; wait "$REC_PID" 2>/dev/null || true; }

sox_raw() { sox -t raw -r 44100 -e signed -b 16 -c 2 "$@"; }

# Peak level (0..1) of the recording so far.
peak_level() {
    [ -s "$REC" ] || { echo 0; return; }
    sox_raw "$REC" -n stat 2>&1 | awk '/^Maximum amplitude/ {print $3}'
}

# Succeeds when the recording so far holds a sound (the sink plays exact silence otherwise).
heard() { awk -v p="$(peak_level)" 'BEGIN { exit !(p > 0.02) }'; }

# When the first sound in the recording came out (seconds since the epoch), counted back from
# now over the samples recorded since: counting forward from the start of the recording would
# carry whatever time the sound server lost while the machine was busy (its samples then fall
# behind the clock, and the sound would seem early). What parec has not written yet only makes
# the sound seem later.
sound_time() {
    local now bytes onset
    now=$(date +%s.%N)
    bytes=$(stat -c %s "$REC")
    onset=$(sound_onset)
    awk -v n="$now" -v b="$bytes" -v o="$onset" 'BEGIN { printf "%.2f", n - (b / (44100 * 4) - o) }'
}

# Seconds from the start of the recording to the first sound in it.
sound_onset() {
    local total rest
    total=$(sox_raw "$REC" -n stat 2>&1 | awk '/^Length/ {print $3}')
    rest=$(sox_raw "$REC" -t raw - silence 1 0.002 0.5% 2>/dev/null | sox_raw - -n stat 2>&1 \
        | awk '/^Length/ {print $3}')
    awk -v t="$total" -v r="${rest:-0}" 'BEGIN { printf "%.2f\n", t - r }'
}

# --- a stand-in login manager on a private system bus -------------------------------------------

# Starts a private bus as the system bus (DBUS_SYSTEM_BUS_ADDRESS) with the tests' stand-in for
# org.freedesktop.login1, which writes every call it gets to $LOGIN_CALLS. Power actions in a
# scenario can reach nothing else. Further stand-in options (--refuse, --notifications) go to
# the same process, which then writes the notification calls to $LOGIN_CALLS too.
start_login_stand_in() {
    : "${KLANGOR_LOGIN_STAND_IN:?KLANGOR_LOGIN_STAND_IN names the stand-in login manager}"
    cat >"$E2E_TMP/system.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:path=$E2E_TMP/system.socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$E2E_TMP/system.conf" --nofork --print-address=1 \
        >"$E2E_TMP/system.address" 2>"$E2E_TMP/system.log" &
    track $!
    wait_until 20 "the private system bus" test -s "$E2E_TMP/system.address"
    export DBUS_SYSTEM_BUS_ADDRESS
    DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$E2E_TMP/system.address")
    LOGIN_CALLS="$E2E_TMP/login.calls"
    "$KLANGOR_LOGIN_STAND_IN" --login "$@" >"$LOGIN_CALLS" 2>"$E2E_TMP/stand-in.log" &
    track $!
    wait_until 20 "the stand-in login manager" grep -q '^ready$' "$LOGIN_CALLS"
    log "stand-in login manager on $DBUS_SYSTEM_BUS_ADDRESS"
}

# login_called METHOD: the stand-in has received METHOD.
login_called() { grep -q "^$1 " "$LOGIN_CALLS"; }

# notification_id TEXT: the number the stand-in gave the notification whose call holds TEXT.
notification_id() {
    awk -v t="$1" 'f && /^notified / { print $2; exit } index($0, "Notify ") == 1 && index($0, t) { f = 1 }' "$LOGIN_CALLS" | grep .
}
# notification_closed ID: the program withdrew notification ID.
notification_closed() { grep -q "^CloseNotification /org/freedesktop/Notifications $1\$" "$LOGIN_CALLS"; }
# invoke_notification_action ID KEY: the user presses a button of notification ID.
invoke_notification_action() {
    dbus-send --session --print-reply --dest=org.freedesktop.Notifications \
        /org/freedesktop/Notifications org.freedesktop.Notifications.InvokeAction \
        "uint32:$1" "string:$2" >/dev/null
}

# --- features -----------------------------------------------------------------------------------

# --- another program the user types in -----------------------------------------------------

# The key recorder (KLANGOR_KEY_RECORDER) writes the keys it gets to $KEYS.
KEYS="$E2E_TMP/keys"
# Starts the other program, gives it the keyboard and sets OTHER to its window.
start_other_program() {
    : "${KLANGOR_KEY_RECORDER:?KLANGOR_KEY_RECORDER names the key recorder}"
    "$KLANGOR_KEY_RECORDER" "Other program" >"$KEYS" 2>"$E2E_TMP/recorder.log" &
    track $!
    wait_until 20 "the other program's window" grep -q '^ready ' "$KEYS"
    OTHER=$(printf '%d' "$(sed -n 's/^ready //p' "$KEYS" | head -n1)")
    activate "$OTHER"
    wait_until 10 "the other program to have the focus" is_active "$OTHER"
    log "the other program $OTHER has the keyboard"
}
