#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private desktop made of real parts: an X server (Xvfb) with a window
# manager (openbox), a PulseAudio server whose only output is a null sink, and a private D-Bus
# session bus. Everything started here is stopped when the command ends.
#
#   tools/e2e/desktop-session.sh COMMAND [ARGS...]
#
# With KLANGOR_E2E_WM=none the X server stays bare: no window manager places, frames or focuses
# the windows, and a program gets exactly what it asks the X server for.
#
# The command sees DISPLAY, PULSE_SERVER, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR, a fresh
# XDG_CONFIG_HOME, and KLANGOR_SINK_MONITOR (the source that records what the sink plays).
set -euo pipefail

work=$(mktemp -d /tmp/klangor-desktop.XXXXXX)
pids=()
cleanup() {
    local rc=$?
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
    exit $rc
}
trap cleanup EXIT INT TERM

export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM SESSION_MANAGER

# D-Bus session bus.
dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" >/dev/null 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"

# X server on a free display number. Sessions started side by side may try the same number at
# once; Xvfb's lock file decides, so the number is ours only when the lock names our server.
display=""
first=$((90 + RANDOM % 100))
for n in $(seq "$first" $((first + 100))); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # -noreset: without it the server resets whenever its last client leaves (our readiness
    # probe), and a client connecting during the reset is refused.
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 600); do
        kill -0 "$xvfb" 2>/dev/null || break
        if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$xvfb" ] &&
            DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
            display=":$n"
            break
        fi
        sleep 0.05
    done
    if [ -n "$display" ]; then pids+=("$xvfb"); break; fi
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY="$display"
# Openbox's own settings, without the minimise/restore animation: a restored window is at its
# place at once, so a click right after it lands where the user aims.
openbox_rc=/etc/xdg/openbox/rc.xml
openbox_args=(--sm-disable)
if [ -f "$openbox_rc" ]; then
    sed 's|<animateIconify>yes</animateIconify>|<animateIconify>no</animateIconify>|' \
        "$openbox_rc" >"$work/openbox-rc.xml"
    openbox_args+=(--config-file "$work/openbox-rc.xml")
fi
wm=${KLANGOR_E2E_WM:-openbox}
# KLANGOR_E2E_WM_PID: the window manager's process, for scenarios that hold it up.
[ "$wm" = none ] || { openbox "${openbox_args[@]}" >"$work/openbox.log" 2>&1 & pids+=($!); export KLANGOR_E2E_WM_PID=$!; }
# A busy machine may take seconds to bring the window manager up: wait for it, generously.
[ "$wm" = none ] || for _ in $(seq 600); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
[ "$wm" = none ] || xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
    || {
        echo "openbox did not start on $DISPLAY (Xvfb $(kill -0 "$xvfb" 2>/dev/null && echo running || echo gone))" >&2
        cat "$work/openbox.log" "$work/xvfb.log" >&2
        exit 1
    }

# Sound server with a null sink, and a silent low-latency stream that keeps the sink awake so
# recordings of its monitor start at once.
export PULSE_SERVER="unix:$work/pulse.socket"
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false -n \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.socket" \
    --load="module-null-sink sink_name=klangor_sink rate=44100" \
    --load="module-always-sink" >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start" >&2; cat "$work/pulse.log" >&2; exit 1; }
pactl set-default-sink klangor_sink
export KLANGOR_SINK_MONITOR=klangor_sink.monitor
pacat --playback --latency-msec=10 --device=klangor_sink /dev/zero >/dev/null 2>&1 &
pids+=($!)

"$@"
