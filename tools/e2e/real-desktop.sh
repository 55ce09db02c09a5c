#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside one of the desktops people use, started headless from Debian's own
# packages, with everything else private: a session bus that can start only the desktop's own
# services, a "system" bus whose login manager is tests/e2e/desktops/login_stand_in.py (no power
# action can reach the machine), and a PulseAudio server with a null sink.
#
#   tools/e2e/real-desktop.sh gnome|kwin-wayland|kwin-x11|xfce COMMAND [ARGS...]
#
#   gnome         GNOME Shell (Mutter) headless on Wayland, Xwayland for X11 programs
#   kwin-wayland  KWin on Wayland (virtual output), Xwayland, dunst for notifications
#   kwin-x11      KWin on Xvfb, dunst for notifications
#   xfce          xfwm4 on Xvfb, xfce4-notifyd for notifications
#
# The command sees DISPLAY (the X server the program shows on), DBUS_SESSION_BUS_ADDRESS,
# DBUS_SYSTEM_BUS_ADDRESS, XDG_CURRENT_DESKTOP, XDG_SESSION_TYPE, PULSE_SERVER, a fresh
# XDG_CONFIG_HOME, and KLANGOR_DESKTOP (the name above), KLANGOR_DESKTOP_WORK (a folder for its
# evidence), LOGIN_CALLS (the stand-in's log), LOGIN_CONTROL (the stand-in's control folder),
# SESSION_MONITOR (everything said on the session bus). Everything started here is stopped when
# the command ends.
set -euo pipefail

desktop=${1:?usage: $0 gnome|kwin-wayland|kwin-x11|xfce COMMAND...}
shift
here=$(cd "$(dirname "$0")" && pwd)
stand_in=$here/../../tests/e2e/desktops/login_stand_in.py

work=$(mktemp -d /tmp/klangor-desk.XXXXXX)
pids=()
keep=${KLANGOR_E2E_KEEP:-}
cleanup() {
    local rc=$?
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        # The desktop's own children first (Xwayland, services it started), then itself.
        for child in $(ps -o pid= --ppid "${pids[i]}" 2>/dev/null); do kill "$child" 2>/dev/null || true; done
        kill "${pids[i]}" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    # Services the private session bus started (GNOME's gjs services, xfconfd) end with it.
    if [ $rc -ne 0 ] || [ -n "$keep" ]; then
        echo "desktop evidence kept in $work" >&2
    else
        rm -rf "$work"
    fi
    exit $rc
}
trap cleanup EXIT INT TERM
say() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*" >&2; }

export KLANGOR_DESKTOP=$desktop KLANGOR_DESKTOP_WORK=$work
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME" "$work/services" "$work/control" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY DISPLAY QT_QPA_PLATFORM SESSION_MANAGER XAUTHORITY
export LANG=C.UTF-8 LC_ALL=C.UTF-8 NO_AT_BRIDGE=1 GTK_A11Y=none
case $desktop in
    gnome) export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_ID=c1 ;;
    kwin-wayland) export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true ;;
    kwin-x11) export XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true ;;
    xfce) export XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=XFCE ;;
    *) echo "unknown desktop $desktop" >&2; exit 2 ;;
esac

# The buses. The session bus starts only the services copied here: no other notification
# server installed on the machine can answer in the desktop's place.
services=(ca.desrt.dconf org.xfce.Xfconf)
[ "$desktop" = gnome ] && services+=(org.gnome.Shell.Notifications org.gnome.ScreenSaver)
for s in "${services[@]}"; do
    [ -f "/usr/share/dbus-1/services/$s.service" ] && cp "/usr/share/dbus-1/services/$s.service" "$work/services/"
done
for b in session system; do
    cat >"$work/$b.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/$b.socket</listen>
  $([ $b = session ] && echo "<servicedir>$work/services</servicedir>")
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$work/$b.conf" --nofork --nopidfile >"$work/$b-bus.log" 2>&1 &
    pids+=($!)
done
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session.socket"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system.socket"
for _ in $(seq 300); do [ -S "$work/session.socket" ] && [ -S "$work/system.socket" ] && break; sleep 0.1; done
[ -S "$work/session.socket" ] && [ -S "$work/system.socket" ] || { echo "the private buses did not start" >&2; exit 1; }
export SESSION_MONITOR=$work/session-monitor.log
dbus-monitor --session >"$SESSION_MONITOR" 2>&1 &
pids+=($!)

export LOGIN_CALLS=$work/login.calls LOGIN_CONTROL=$work/control
/usr/bin/python3 "$stand_in" $([ "$desktop" = gnome ] && echo --gdm) "$LOGIN_CONTROL" >"$LOGIN_CALLS" 2>"$work/login.err" &
pids+=($!)
for _ in $(seq 300); do grep -q '^ready' "$LOGIN_CALLS" && break; sleep 0.1; done
grep -q '^ready' "$LOGIN_CALLS" || { echo "the login stand-in did not start" >&2; cat "$work/login.err" >&2; exit 1; }

# Sound: a null sink.
export PULSE_SERVER="unix:$work/pulse.socket"
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false -n \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.socket" \
    --load="module-null-sink sink_name=klangor_sink rate=44100" \
    --load="module-always-sink" >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink klangor_sink

has_name() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}
wait_for() {  # wait_for SECONDS WHAT COMMAND...
    local limit=$1 what=$2
    shift 2
    for _ in $(seq $((limit * 10))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "$desktop: timed out after ${limit}s waiting for $what" >&2
    return 1
}
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# An X server of our own for the X11 window managers, on a free display number.
start_xvfb() {
    local first=$((200 + RANDOM % 200)) n xvfb
    for n in $(seq "$first" $((first + 100))); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfb=$!
        for _ in $(seq 300); do
            kill -0 "$xvfb" 2>/dev/null || break
            if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$xvfb" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                pids+=("$xvfb")
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    done
    echo "Xvfb did not start" >&2
    return 1
}

# dunst as an X11 client. Its context menu (what a user opens with its shortcut) pipes the
# notification's actions to a "dmenu"; ours writes them down and picks the one the test names in
# $work/control/pick (the user's choice).
start_dunst() {
    cat >"$work/bin/dunst-menu" <<MENU
#!/bin/sh
tee -a "$work/dunst-menu.log" | grep -m1 -F "\$(cat "$work/control/pick" 2>/dev/null || echo none)"
MENU
    chmod +x "$work/bin/dunst-menu"
    mkdir -p "$XDG_CONFIG_HOME/dunst"
    printf '[global]\n    dmenu = %s\n' "$work/bin/dunst-menu" >"$XDG_CONFIG_HOME/dunst/dunstrc"
    WAYLAND_DISPLAY='' dunst -config "$XDG_CONFIG_HOME/dunst/dunstrc" >"$work/dunst.log" 2>&1 &
    pids+=($!)
    wait_for 60 "dunst" has_name org.freedesktop.Notifications
}

t0=$SECONDS
case $desktop in
gnome)
    socket=wayland-klangor-$$
    # Mutter forks to start Xwayland; on a loaded machine the forked child has been seen to
    # hang before it runs Xwayland (on a lock taken in the parent at the fork). Such a shell
    # never gets an X server: it is ended and started again, twice at most.
    xwayland=""
    for attempt in 1 2 3; do
        # --unsafe-mode: the shell answers org.gnome.Shell.Eval (the tests read its view of
        # the windows and find the notification's button with it).
        gnome-shell --headless --wayland --wayland-display="$socket" --virtual-monitor 1024x768 \
            --unsafe-mode >"$work/gnome-shell-$attempt.log" 2>&1 &
        shell=$!
        pids+=("$shell")
        started=$SECONDS
        while [ $((SECONDS - started)) -lt 150 ]; do
            kill -0 "$shell" 2>/dev/null || { echo "gnome-shell ended" >&2; tail -20 "$work/gnome-shell-$attempt.log" >&2; exit 1; }
            xwayland=$(ps -o args= --ppid "$shell" | grep -m1 '^/usr/bin/Xwayland' || true)
            [ -n "$xwayland" ] && has_name org.gnome.Shell && break 2
            sleep 0.2
        done
        say "gnome-shell (attempt $attempt) started no Xwayland within 150 s: its children: $(ps -o pid=,stat=,wchan:20=,args= --ppid "$shell" | tr '\n' ';')"
        for child in $(ps -o pid= --ppid "$shell"); do kill -9 "$child" 2>/dev/null || true; done
        kill "$shell" 2>/dev/null || true
        wait "$shell" 2>/dev/null || true
        xwayland=""
    done
    [ -n "$xwayland" ] || { echo "gnome-shell did not start Xwayland" >&2; exit 1; }
    DISPLAY=$(awk '{print $2}' <<<"$xwayland")
    XAUTHORITY=$(sed -n 's/.*-auth \([^ ]*\).*/\1/p' <<<"$xwayland")
    export DISPLAY XAUTHORITY WAYLAND_DISPLAY=$socket
    wait_for 60 "Xwayland" timeout 10 xdpyinfo
    # GNOME starts in the overview: the user leaves it with Escape.
    wait_for 60 "the shell's start-up animation" /usr/bin/python3 "$here/../../tests/e2e/desktops/gnome_eval.py" \
        '!Main.layoutManager._startingUp'
    /usr/bin/python3 "$here/../../tests/e2e/desktops/gnome_input.py" key Escape
    wait_for 30 "the overview to close" /usr/bin/python3 "$here/../../tests/e2e/desktops/gnome_eval.py" \
        '!Main.overview.visible && !Main.overview.animationInProgress'
    ;;
kwin-wayland)
    # The installed kwin_wayland carries a file capability that a container refuses to exec;
    # a copy without it runs.
    cp /usr/bin/kwin_wayland "$work/bin/kwin_wayland"
    socket=wayland-klangor-$$
    # The program named after the options starts once Xwayland is up: it writes its DISPLAY down.
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
        "$work/bin/kwin_wayland" --virtual --xwayland --socket "$socket" --width 1024 --height 768 \
        "/bin/sh -c 'echo \"\$DISPLAY \$XAUTHORITY\" >$work/xwayland.env'" >"$work/kwin.log" 2>&1 &
    pids+=($!)
    wait_for 60 "kwin_wayland's Xwayland" test -s "$work/xwayland.env"
    read -r DISPLAY XAUTHORITY <"$work/xwayland.env"
    export DISPLAY XAUTHORITY WAYLAND_DISPLAY=$socket
    wait_for 60 "KWin to manage Xwayland" wm_ready
    start_dunst
    ;;
kwin-x11)
    start_xvfb
    KWIN_COMPOSE=N QT_QPA_PLATFORM=xcb kwin_x11 >"$work/kwin.log" 2>&1 &
    pids+=($!)
    wait_for 60 "kwin_x11" wm_ready
    start_dunst
    ;;
xfce)
    start_xvfb
    xfwm4 --compositor=off >"$work/xfwm4.log" 2>&1 &
    pids+=($!)
    wait_for 60 "xfwm4" wm_ready
    /usr/lib/*/xfce4/notifyd/xfce4-notifyd >"$work/notifyd.log" 2>&1 &
    pids+=($!)
    wait_for 60 "xfce4-notifyd" has_name org.freedesktop.Notifications
    ;;
esac
say "$desktop up after $((SECONDS - t0)) s (DISPLAY=$DISPLAY${WAYLAND_DISPLAY:+ WAYLAND_DISPLAY=$WAYLAND_DISPLAY})"

"$@"
