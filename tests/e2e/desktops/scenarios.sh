#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on a real desktop (tools/e2e/real-desktop.sh), as a user meets it there:
#
#   prompt   the repeater's screen-off prompt shows (main window minimised), on top, without the
#            keyboard; its button reaches the desktop's own way to switch the screen off
#   ring     an alarm started from the command line minimises the window; at the ring it comes
#            back on top while the user types in another program, and every key reaches that
#            program; one notification says the note and the pending shut-down, before
#            anything of the desktop's own; its Stop, pressed in the desktop's notification,
#            cancels the shut-down
#   lock     a lock after an alarm goes through the login manager; the notice stays for the
#            whole grace period and is withdrawn
#   saver    with the login manager refusing, the lock goes to the desktop's screen saver
#
#   scenarios.sh [SCENARIO...]     (all of them, in this order, by default)
#
# What a desktop cannot show is said in the output ("cannot check: ..."), never passed over.
# Environment from CTest: KLANGOR_BIN, KLANGOR_KEY_RECORDER.
set -euo pipefail

: "${KLANGOR_BIN:?KLANGOR_BIN names the program under test}"
: "${KLANGOR_KEY_RECORDER:?KLANGOR_KEY_RECORDER names the key recorder}"
: "${KLANGOR_DESKTOP:?run the scenarios through tools/e2e/real-desktop.sh}"
here=$(cd "$(dirname "$0")" && pwd)
W=$KLANGOR_DESKTOP_WORK
D=$KLANGOR_DESKTOP
PIDS=()
KPID=""

log() { printf '[%s] %s: %s\n' "$(date +%T.%3N)" "$D" "$*" >&2; }
fail() {
    log "FAIL: $*"
    log "--- the program's log ---"
    [ -n "${KLOG:-}" ] && sed 's/^/    /' "$KLOG" >&2
    log "--- login stand-in ---"
    sed 's/^/    /' "$LOGIN_CALLS" >&2
    exit 1
}
held() { log "held: $*"; }
cannot() { log "cannot check on $D: $*"; }
cleanup() {
    local rc=$?
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    exit $rc
}
trap cleanup EXIT INT TERM

# wait_until SECONDS WHAT COMMAND...: polls COMMAND every 0.2 s until it succeeds.
wait_until() {
    local limit=$1 what=$2
    shift 2
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out after ${limit}s waiting for: $what"
        sleep 0.2
    done
}

# --- the desktop's own ways: input, notifications, locker, screen ------------------------------

geval() { /usr/bin/python3 "$here/gnome_eval.py" "$1"; }
gin() { /usr/bin/python3 "$here/gnome_input.py" "$@"; }
shot() {
    case $D in
        gnome) /usr/bin/python3 - "$W/$1.png" <<'PY' >/dev/null 2>&1 || true ;;
import sys
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
# The shell answers screenshot requests of the screenshot tool's name (or any, in unsafe mode).
bus.call_sync('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus', 'RequestName',
              GLib.Variant('(su)', ('org.gnome.Screenshot', 4)), None, 0, -1)
bus.call_sync('org.gnome.Shell.Screenshot', '/org/gnome/Shell/Screenshot', 'org.gnome.Shell.Screenshot',
              'Screenshot', GLib.Variant('(bbs)', (False, False, sys.argv[1])), None, 0, 30000)
PY
        kwin-wayland) : ;;  # Xwayland shows only the X clients; KWin's own capture needs more
        *) import -window root "$W/$1.png" 2>/dev/null || true ;;
    esac
}

# The user brings a window to the front: a click on its title bar (GNOME), or the window
# manager's activation as a task bar asks for it.
user_activate() {
    if [ "$D" = gnome ]; then
        local g x y w
        g=$(xwininfo -id "$1")
        x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$g")
        y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$g")
        w=$(sed -n 's/.*Width: *//p' <<<"$g")
        gin at $((x + w / 2)) $((y - 12)) click
    else
        xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowactivate "$1"
    fi
}
# The user types: through the compositor on GNOME (Xwayland's XTEST never reaches Mutter).
user_type() {
    if [ "$D" = gnome ]; then gin type "$1" key Return; else xdotool type --delay 40 "$1"; xdotool key Return; fi
}
user_key() { if [ "$D" = gnome ]; then gin key "$1"; else xdotool key "$1"; fi; }
user_click_window() {  # user_click_window WIN X Y: a left click at X, Y inside WIN
    if [ "$D" = gnome ]; then
        local g
        g=$(xwininfo -id "$1")
        gin at $(($(sed -n 's/.*Absolute upper-left X: *//p' <<<"$g") + $2)) \
            $(($(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$g") + $3)) click
    else
        xdotool mousemove --window "$1" "$2" "$3" sleep 0.2 click 1
    fi
}

# The notification with TEXT is on the screen now.
notice_shown() {
    case $D in
        gnome)
            geval "(function(){const t='$1';const b=Main.messageTray._notification;
                if(b&&(b.bannerBodyText||'').includes(t))return true;
                return Main.messageTray.getSources().some(s=>s.notifications.some(n=>(n.bannerBodyText||'').includes(t)));})()" >/dev/null ;;
        kwin-wayland | kwin-x11) [ "$(dunstctl count displayed 2>/dev/null)" -ge 1 ] ;;
        xfce) [ -n "$(xdotool search --onlyvisible --class xfce4-notifyd 2>/dev/null)" ] ;;
    esac
}
# What GNOME shows as its banner now ("-" for none).
gnome_banner() {
    geval '(function(){const n=Main.messageTray._notification;return n?`${n.title}: ${n.bannerBodyText}`:"-";})()' 2>/dev/null || echo "?"
}
# The user presses Stop in the desktop's notification.
press_notification_stop() {
    case $D in
        gnome)
            # The banner shows its buttons under the pointer: point at it, find Stop, click it.
            gin at 512 40
            local where
            where=$(geval '(function(){const b=Main.messageTray._banner;if(!b||!b._buttonBox)return "";
                const s=b._buttonBox.get_children().find(c=>c.label==="Stop");if(!s||!s.visible)return "";
                const [x,y]=s.get_transformed_position();const [w,h]=s.get_transformed_size();
                return `${Math.round(x+w/2)} ${Math.round(y+h/2)}`;})()' | tr -d "'\"()" | sed 's/^true, //')
            [ -n "$where" ] || return 1
            log "GNOME's banner shows Stop at $where"
            gin at $where click ;;
        kwin-wayland | kwin-x11)
            # dunst's context menu, as its shortcut opens it; the user picks Stop there.
            echo Stop >"$LOGIN_CONTROL/pick"
            dunstctl context ;;
        xfce)
            # xfce4-notifyd's window: its button row is at the bottom right.
            local win g x y w h
            win=$(xdotool search --onlyvisible --class xfce4-notifyd | tail -n1)
            [ -n "$win" ] || return 1
            g=$(xwininfo -id "$win")
            w=$(sed -n 's/.*Width: *//p' <<<"$g")
            h=$(sed -n 's/.*Height: *//p' <<<"$g")
            user_click_window "$win" $((w - 50)) $((h - 30)) ;;
    esac
}
screen_locked() {
    case $D in
        gnome) gdbus call --session --dest org.gnome.ScreenSaver --object-path /org/gnome/ScreenSaver \
            --method org.gnome.ScreenSaver.GetActive 2>/dev/null | grep -q true ;;
        kwin-wayland) gdbus call --session --dest org.freedesktop.ScreenSaver --object-path /ScreenSaver \
            --method org.freedesktop.ScreenSaver.GetActive 2>/dev/null | grep -q true ;;
        *) return 1 ;;
    esac
}
has_locker() { [ "$D" = gnome ] || [ "$D" = kwin-wayland ]; }

# --- the program ------------------------------------------------------------------------------

# start_klangor NAME ARGS...: the program with a configuration of its own, logging to $W/NAME.log.
start_klangor() {
    local name=$1
    shift
    KLOG=$W/$name.log
    mkdir -p "$W/config-$name"
    XDG_CONFIG_HOME="$W/config-$name" QT_LOGGING_RULES="klangor.*=true" \
        "$KLANGOR_BIN" "$@" >"$KLOG" 2>&1 &
    KPID=$!
    PIDS+=("$KPID")
}
stop_klangor() { kill "$KPID" 2>/dev/null || true; wait "$KPID" 2>/dev/null || true; }
main_window() { xdotool search --all --pid "$KPID" --name '^Tempiro' 2>/dev/null | head -n1; }
prompt_window() {
    local id
    for id in $(xdotool search --all --pid "$KPID" --name '^Repeater$' 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && { echo "$id"; return 0; }
    done
    return 1
}
is_hidden() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_HIDDEN; }
is_shown() { ! is_hidden "$1" && xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
is_above() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }
active_window() { printf '%d' "$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //; s/,.*//')" 2>/dev/null; }
# WIN is stacked above OTHER (the window manager's own stacking order, bottom to top).
stacked_above() {
    local order
    order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g')
    local i=0 a=-1 b=-1 w
    for w in $order; do
        [ "$((w))" = "$1" ] && a=$i
        [ "$((w))" = "$2" ] && b=$i
        i=$((i + 1))
    done
    [ $a -gt $b ] && [ $b -ge 0 ]
}
# The user's other program, where they type; OTHER is its window.
start_other() {
    if [ -n "${OTHER:-}" ]; then
        user_activate "$OTHER"
        wait_until 30 "the other program to have the keyboard" test "$(active_window)" = "$OTHER"
        return
    fi
    KEYS=$W/keys.log
    "$KLANGOR_KEY_RECORDER" "Other program" >"$KEYS" 2>"$W/keys.err" &
    PIDS+=($!)
    wait_until 30 "the other program" grep -q '^ready ' "$KEYS"
    OTHER=$(printf '%d' "$(sed -n 's/^ready //p' "$KEYS" | head -n1)")
    user_activate "$OTHER"
    wait_until 30 "the other program to have the keyboard" test "$(active_window)" = "$OTHER"
}
# What the session bus carried since the scenario began.
MARK=1
mark() { MARK=$(($(wc -l <"$SESSION_MONITOR") + 1)); }
bus_since() { tail -n +"$MARK" "$SESSION_MONITOR"; }
bus_said() { bus_since | grep -q -e "$1"; }
# The Notify calls, as the session bus carried them (one per paragraph).
notify_calls() {
    bus_since | awk '/^(method call|signal|method return|error)/ {
        on = ($0 ~ /destination=org.freedesktop.Notifications .*interface=org.freedesktop.Notifications; member=Notify$/)
        if (on) print "----" } on'
}
klangor_notices() { notify_calls | awk '/^----/{n++} /string "Klangor"/{k[n]=1} END{c=0; for(i in k)c++; print c}'; }
# The session bus carried the program's notification of the pending action with TEXT.
notice_sent() { notify_calls | grep -q -F "$1"; }

at_in() { date -d "@$(($(date +%s) + $1))" +%H:%M:%S; }

# --- scenarios ------------------------------------------------------------------------------

# WIN is where it was half a second ago.
stays_in_place() {
    local a b
    a=$(xwininfo -id "$1" | grep 'Absolute upper-left')
    sleep 0.5
    b=$(xwininfo -id "$1" | grep 'Absolute upper-left')
    [ -n "$a" ] && [ "$a" = "$b" ]
}
power_save_mode_is() {
    gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig \
        --method org.freedesktop.DBus.Properties.Get org.gnome.Mutter.DisplayConfig PowerSaveMode 2>/dev/null |
        grep -q "<$1>"
}

scenario_prompt() {
    log "scenario prompt: the repeater asks to switch the screen off, its window minimised"
    local conf=$W/config-prompt/Vostrel
    mkdir -p "$conf"
    printf '[General]\nxMinutes=1\nxMinutes2=5\nchkTurnOff=1\n' >"$conf/klangor2.conf"
    # Where kscreen-doctor runs, the real one runs through a wrapper that notes each call.
    mkdir -p "$W/path"
    if command -v kscreen-doctor >/dev/null; then
        printf '#!/bin/sh\necho "$@" >>"%s"\nexec %s "$@"\n' "$W/kscreen-doctor.calls" "$(command -v kscreen-doctor)" \
            >"$W/path/kscreen-doctor"
        chmod +x "$W/path/kscreen-doctor"
    fi
    PATH="$W/path:$PATH" start_klangor prompt --repeater
    wait_until 60 "the main window" main_window
    local win
    win=$(main_window)
    wait_until 30 "the repeater to minimise the window" is_hidden "$win"
    start_other
    # The first warning comes a minute after the start.
    local p=""
    wait_until 150 "the screen-off prompt" prompt_window
    p=$(prompt_window)
    # Quickly: left alone, the prompt closes after about 11 s.
    is_hidden "$win" || fail "the main window came back with the prompt"
    is_shown "$p" || fail "the prompt is not shown: $(xprop -id "$p" _NET_WM_STATE)"
    is_above "$p" || fail "the prompt is not above the other windows"
    stacked_above "$p" "$OTHER" || fail "the prompt is below the other program"
    [ "$(active_window)" = "$OTHER" ] || fail "the prompt took the keyboard (active $(active_window))"
    held "the prompt is visible and on top with the main window minimised; the keyboard stays with the other program"
    shot prompt
    # The user clicks its button, once the window manager has put it where it stays.
    wait_until 30 "the prompt to stay in place" stays_in_place "$p"
    user_click_window "$p" 88 25
    wait_until 60 "the button's request" grep -q 'klangor.monitor' "$KLOG"
    case $D in
        gnome)
            wait_until 30 "GNOME's power saving mode" power_save_mode_is '[1-3]'
            held "the button switched the screen off through Mutter's PowerSaveMode"
            # What switches it on again at the user's next key is GNOME's settings daemon,
            # which this desktop runs without: the test does its part.
            gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig \
                --method org.freedesktop.DBus.Properties.Set org.gnome.Mutter.DisplayConfig PowerSaveMode '<0>' >/dev/null
            wait_until 30 "the screen back on" power_save_mode_is 0 ;;
        kwin-wayland)
            wait_until 30 "kscreen-doctor" grep -q 'dpms off' "$W/kscreen-doctor.calls"
            wait_until 60 "the program's answer" grep -q 'switched off through "kscreen-doctor"\|kscreen-doctor did not' "$KLOG"
            if grep -q 'switched off through "kscreen-doctor"' "$KLOG"; then
                held "the button switched the screen off through kscreen-doctor --dpms off"
            else
                # KWin's virtual output has no DPMS: the tool waits for an answer that never
                # comes. The program gives up on it and says so.
                wait_until 30 "the notification that the screen stayed on" notice_sent 'Could not switch the screen off'
                cannot "the screen going off (KWin's virtual output has no DPMS, kscreen-doctor --dpms off never ends); the program ran it, gave up after its time-out and sent its failure notice: $(grep -o 'kscreen-doctor did not.*' "$KLOG")"
            fi ;;
        *)
            # Xvfb drives no monitor and offers no DPMS: the program must say that it could not.
            if xset q 2>/dev/null | grep -q 'DPMS is'; then
                wait_until 30 "the monitor off" sh -c "xset q | grep -q 'Monitor is Off'"
                held "the button forced the monitor off through DPMS"
            else
                [ ! -e "$W/kscreen-doctor.calls" ] || fail "kscreen-doctor was run on $D"
                wait_until 30 "the notification that the screen stayed on" notice_sent 'Could not switch the screen off'
                cannot "DPMS (the X server has none); the program's failure notice was sent instead"
            fi ;;
    esac
    stop_klangor
}

scenario_ring() {
    log "scenario ring: shut down after an alarm, cancelled through the notification's Stop"
    start_other
    start_klangor ring --at "$(at_in 20)" --note Tea --action shutdown
    wait_until 60 "the main window" main_window
    local win
    win=$(main_window)
    wait_until 30 "the window to minimise" is_hidden "$win"
    # The user goes back to the other program as after any start from a launcher.
    user_activate "$OTHER"
    wait_until 30 "the other program to have the keyboard" test "$(active_window)" = "$OTHER"
    wait_until 60 "the ring" grep -q 'klangor.alarm: rang' "$KLOG"
    log "rang"
    local banners=""
    if [ "$D" = gnome ]; then
        # Every banner GNOME shows from the ring on, until ours is up.
        for _ in $(seq 40); do
            local b
            b=$(gnome_banner)
            [ "$b" = "-" ] || banners+="$b | "
            case $b in *"in 15 seconds"*) break ;; esac
            sleep 0.2
        done
        log "GNOME's banners since the ring: $banners"
    fi
    # The user presses Stop in the notification first: the grace period is only 15 s.
    wait_until 30 "the notice on the screen" notice_shown "in 15 seconds"
    press_notification_stop || { sleep 1; press_notification_stop; } || fail "no Stop in the notification"
    wait_until 30 "Stop to reach the program" bus_said 'member=ActionInvoked'
    wait_until 30 "the window back" is_shown "$win"
    # Typing goes on in the other program.
    local keys_from=$(($(wc -l <"$KEYS") + 1))
    user_type "hello"
    wait_until 30 "the typed keys" sh -c "tail -n +$keys_from '$KEYS' | grep -q '^key Return'"
    local typed
    typed=$(sed -n "$keys_from,\$ s/^key //p" "$KEYS" | tr '\n' ' ')
    [ "$typed" = "h e l l o Return " ] || fail "the other program got '$typed'"
    [ "$(active_window)" = "$OTHER" ] || fail "the ring took the keyboard (active $(active_window))"
    is_shown "$win" || fail "the window did not come back: $(xprop -id "$win" _NET_WM_STATE)"
    stacked_above "$win" "$OTHER" || fail "the window is below the other program"
    shot ring
    held "the window came back on top at the ring; every key reached the other program"
    # One notification, the note and the pending action together, urgent, outliving the grace.
    wait_until 30 "the notice" notice_sent 'Tea'
    [ "$(klangor_notices)" = 1 ] || fail "the program sent $(klangor_notices) notifications: $(notify_calls)"
    notice_sent 'Shut down in 15 seconds' || fail "the notice lacks the pending action: $(notify_calls)"
    notify_calls | grep -q 'string "urgency"' -A1 || fail "the notice is not urgent"
    notify_calls | grep -A1 '"urgency"' | grep -q 'byte 2' || fail "the notice's urgency is not critical"
    notify_calls | grep -q 'int32 30000' || fail "the notice's expiry does not cover the grace period"
    if [ "$D" = gnome ]; then
        case $banners in
            *"is ready"*) fail "GNOME showed its own banner: $banners" ;;
            "Klangor: Tea"*"in 15 seconds"*) held "GNOME's first banner after the ring is the program's notice" ;;
            *) fail "GNOME's banners since the ring: $banners" ;;
        esac
    fi
    # The grace period would have ended 15 s after the ring; wait for the program to withdraw
    # nothing more and for that time to pass.
    wait_until 60 "the notice withdrawn" bus_said 'member=CloseNotification'
    # Well past the end of the grace period the shut-down has still not been asked for.
    sleep 20
    grep -q '^PowerOff' "$LOGIN_CALLS" && fail "the shut-down went through after Stop"
    held "Stop in the desktop's notification cancelled the shut-down"
    if [ "$D" = gnome ]; then
        # Nor did GNOME queue an "is ready" of its own behind the program's notice.
        local ready
        ready=$(geval '(function(){return Main.messageTray.getSources().flatMap(s=>s.notifications)
            .map(n=>n.title).filter(t=>t.includes("is ready")).join(" | ");})()' || true)
        [ -z "$ready" ] || fail "GNOME shows its own notification: $ready"
        held "GNOME has no 'is ready' notification of the window"
    fi
    stop_klangor
}

# lock_after_alarm NAME: an alarm with "Lock" that rings in a few seconds; waits for the lock
# request and checks that the notice stayed on the screen for the grace period.
login_since() { tail -n +"$LOGIN_MARK" "$LOGIN_CALLS"; }
lock_asked() { login_since | grep -q '^Lock'; }
lock_after_alarm() {
    LOGIN_MARK=$(($(wc -l <"$LOGIN_CALLS") + 1))
    start_klangor "$1" --at "$(at_in 12)" --note Tea --action lock
    wait_until 60 "the ring" grep -q 'klangor.alarm: rang' "$KLOG"
    local rang=$SECONDS last=-1
    wait_until 30 "the notice on the screen" notice_shown "in 15 seconds"
    # Watched until the grace period ends (the program withdraws it, or the lock comes): it
    # must still be on the screen past the 10 s that notification servers give by default.
    until bus_said 'member=CloseNotification' || lock_asked; do
        notice_shown "in 15 seconds" && last=$((SECONDS - rang))
        [ $((SECONDS - rang)) -lt 120 ] || fail "the notice was never withdrawn"
        sleep 0.5
    done
    # The server's word, which no slow look at the screen can miss: it did not close the notice
    # (expired, reason 1) before the program withdrew it.
    local first
    first=$(bus_since | grep -oE 'member=(CloseNotification|NotificationClosed)$' | head -n1)
    [ "$first" = member=CloseNotification ] ||
        fail "the notification server closed the notice before the grace period ended (last seen on the screen ${last} s after the ring)"
    [ "$last" -ge 0 ] || fail "the notice was never seen on the screen"
    held "the notice stayed until the program withdrew it (last seen on the screen ${last} s after the ring)"
    wait_until 60 "the lock request" lock_asked
}

scenario_lock() {
    log "scenario lock: through the login manager"
    lock_after_alarm lock
    if has_locker; then
        wait_until 60 "the desktop's lock screen" screen_locked
        shot locked
        held "locked through the login manager; the desktop's locker is up"
        gdbus call --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1/session/c1 \
            --method org.freedesktop.login1.Session.Unlock >/dev/null
        local until=$((SECONDS + 60))
        while screen_locked; do
            [ $SECONDS -lt $until ] || fail "the desktop did not unlock"
            sleep 0.5
        done
    else
        cannot "the lock screen (no locker runs with this window manager alone); the login manager was asked"
    fi
    stop_klangor
}

scenario_saver() {
    log "scenario saver: the login manager refuses, the desktop's screen saver locks"
    touch "$LOGIN_CONTROL/refuse-lock"
    lock_after_alarm saver
    if has_locker; then
        wait_until 60 "the screen saver's lock" screen_locked
        grep -q 'locked through' "$KLOG" || fail "the program did not lock through the screen saver"
        held "locked through the desktop's screen saver ($(grep -o 'locked through.*' "$KLOG"))"
    else
        wait_until 30 "the failure notice" notice_sent 'Could not lock'
        cannot "a screen saver (none runs with this window manager alone); the program said that it could not lock"
    fi
    rm -f "$LOGIN_CONTROL/refuse-lock"
    stop_klangor
}

started=$SECONDS
for s in "${@:-prompt ring lock saver}"; do
    for one in $s; do
        t=$SECONDS
        mark
        "scenario_$one"
        log "scenario $one took $((SECONDS - t)) s"
    done
done
log "all scenarios passed in $((SECONDS - started)) s"
