#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the whole program on a private desktop (Xvfb, openbox, a PulseAudio null sink) beside
# a minimal Qt Widgets window measured in the same run, and prints a table with the ratios.
#
#   tools/bench.sh BUILD_DIR          (make bench)
#
# Settings (environment): BENCH_RUNS (start-up and memory runs per program, default 5),
# BENCH_CPU_SECONDS (CPU window, default 60), BENCH_CPU_INSTANCES (copies measured side by side
# over that window, default 3), BENCH_ALARMS (alarms timed, default 12).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
if [ -z "${KLANGOR_BENCH_DESKTOP:-}" ]; then
    export KLANGOR_BENCH_DESKTOP=1
    exec bash "$here/e2e/desktop-session.sh" bash "$here/bench.sh" "$build"
fi

runs=${BENCH_RUNS:-5}
cpu_seconds=${BENCH_CPU_SECONDS:-60}
cpu_instances=${BENCH_CPU_INSTANCES:-3}
alarms=${BENCH_ALARMS:-12}
klangor=$build/klangor
minimal=$build/tools/bench/bench_minimal_window
launch=$build/tools/bench/bench_launch
onset=$build/tools/bench/bench_onset
harness=$build/tools/bench/bench_alarm
for f in "$klangor" "$minimal" "$launch" "$onset" "$harness"; do
    [ -x "$f" ] || { echo "bench: $f is missing; build first (make build)" >&2; exit 1; }
done
export LC_ALL=C.UTF-8
work=$(mktemp -d /tmp/klangor-bench.XXXXXX)
started=()
cleanup() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
t_begin=$(date +%s)

# --- helpers ------------------------------------------------------------------------------
median() { sort -g | awk '{v[NR] = $1} END {if (NR == 0) {print "n/a"; exit} m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m}'; }
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# CPU time of all threads in ns (schedstat: precise), and utime+stime in clock ticks (stat).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f\n", s}'; }
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
hidden() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_HIDDEN; }

stop() {
    local pid=$1
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 100); do [ -e "/proc/$pid" ] || return 0; sleep 0.05; done
    kill -KILL "$pid" 2>/dev/null || true
}

# Starts a program; sets LAUNCH_PID, LAUNCH_WID, LAUNCH_MS and LAUNCH_CPU (processor time used
# until the window was mapped).
start() {
    local out
    out=$("$launch" "$@") || { echo "bench: $1 did not show a window" >&2; exit 1; }
    LAUNCH_PID=$(sed -n 's/.*pid=\([0-9]*\).*/\1/p' <<<"$out")
    LAUNCH_WID=$(sed -n 's/.*window=\(0x[0-9a-f]*\).*/\1/p' <<<"$out")
    LAUNCH_MS=$(sed -n 's/.*ms=\([0-9.]*\).*/\1/p' <<<"$out")
    LAUNCH_CPU=$(sed -n 's/.*cpu=\([0-9.]*\).*/\1/p' <<<"$out")
    started+=("$LAUNCH_PID")
}

# Arms an alarm (F5: the picker's time, which is now, so the next occurrence is tomorrow) and
# starts the repeater (its button on the Repeater page), as a user would. Each of the two
# minimises the window; returns non-zero when either did not.
arm_alarm_and_repeater() {
    local wid=$1 ok=0
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
    sleep 0.3
    xdotool mousemove --window "$wid" "$REPEATER_TAB_X" 15 click 1
    sleep 0.3
    xdotool mousemove --window "$wid" 80 58 click 1  # repeater_start
    sleep 0.5
    hidden "$wid" || ok=1
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
    sleep 0.3
    xdotool key F5
    sleep 0.5
    hidden "$wid" || ok=1
    return $ok
}
REPEATER_TAB_X=${BENCH_REPEATER_TAB_X:-90}

# --- start-up and memory ------------------------------------------------------------------
echo "bench: start-up and memory, $runs runs each" >&2
: >"$work/k_start" >"$work/m_start" >"$work/k_startcpu" >"$work/m_startcpu" >"$work/k_rss" >"$work/m_rss" >"$work/k_rss_armed"
drive_failures=0
for i in $(seq "$runs"); do
    order=(klangor minimal)
    (( i % 2 == 0 )) && order=(minimal klangor)
    for prog in "${order[@]}"; do
        if [ "$prog" = klangor ]; then start "$klangor"; else start "$minimal"; fi
        pid=$LAUNCH_PID
        echo "$LAUNCH_MS" >>"$work/${prog:0:1}_start"
        echo "$LAUNCH_CPU" >>"$work/${prog:0:1}_startcpu"
        sleep "$(awk -v ms="$LAUNCH_MS" 'BEGIN {s = 5 - ms / 1000; print (s > 0 ? s : 0)}')"
        rss_kib "$pid" >>"$work/${prog:0:1}_rss"
        if [ "$prog" = klangor ]; then
            arm_alarm_and_repeater "$LAUNCH_WID" || drive_failures=$((drive_failures + 1))
            sleep 2
            rss_kib "$pid" >>"$work/k_rss_armed"
        fi
        stop "$pid"
    done
done

# --- CPU while armed ----------------------------------------------------------------------
echo "bench: CPU over ${cpu_seconds} s, $cpu_instances armed copies and one minimal window side by side" >&2
cpu_pids=()
for _ in $(seq "$cpu_instances"); do
    start "$klangor"
    sleep 1
    arm_alarm_and_repeater "$LAUNCH_WID" || drive_failures=$((drive_failures + 1))
    cpu_pids+=("$LAUNCH_PID")
done
start "$minimal"
min_pid=$LAUNCH_PID
sleep 1
declare -A ns0 ticks0
for pid in "${cpu_pids[@]}" "$min_pid"; do ns0[$pid]=$(cpu_ns "$pid"); ticks0[$pid]=$(cpu_ticks "$pid"); done
t0=$(date +%s.%N)
sleep "$cpu_seconds"
t1=$(date +%s.%N)
hz=$(getconf CLK_TCK)
: >"$work/k_cpu" >"$work/k_cpu_ticks"
for pid in "${cpu_pids[@]}" "$min_pid"; do
    ns=$(cpu_ns "$pid"); ticks=$(cpu_ticks "$pid")
    pct=$(awk -v a="${ns0[$pid]}" -v b="$ns" -v t0="$t0" -v t1="$t1" 'BEGIN {printf "%.4f", (b - a) / 1e9 / (t1 - t0) * 100}')
    pct_ticks=$(awk -v a="${ticks0[$pid]}" -v b="$ticks" -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN {printf "%.4f", (b - a) / hz / (t1 - t0) * 100}')
    if [ "$pid" = "$min_pid" ]; then
        m_cpu=$pct; m_cpu_ticks=$pct_ticks
    else
        echo "$pct" >>"$work/k_cpu"; echo "$pct_ticks" >>"$work/k_cpu_ticks"
    fi
    stop "$pid"
done

# --- alarm to sound -----------------------------------------------------------------------
echo "bench: $alarms alarms, recording the sink" >&2
mkfifo "$work/rec.fifo"
"$onset" 44100 2 <"$work/rec.fifo" >"$work/onsets" &
onset_pid=$!
parec --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 \
    -d "$KLANGOR_SINK_MONITOR" >"$work/rec.fifo" &
parec_pid=$!
started+=("$parec_pid" "$onset_pid")
sleep 0.5
"$harness" "$alarms" >"$work/alarms" 2>"$work/harness.log" || true
sleep 0.5
kill -TERM "$parec_pid" 2>/dev/null || true
wait "$parec_pid" "$onset_pid" 2>/dev/null || true
# For each alarm the first sound that begins from 250 ms before it to 3 s after it, and the first
# play request in that span: "DELAY PLAY_DELAY" per alarm, "miss" for either when there is none.
awk '
    function first(list, n, t,    j) {
        for (j = 1; j <= n; j++) if (list[j] >= t - 250 && list[j] < t + 3000) return sprintf("%.1f", list[j] - t)
        return "miss"
    }
    FNR == NR { if ($1 == "alarm") a[++na] = $2; else if ($1 == "play") p[++np] = $2; next }
    $1 == "onset" { o[++no] = $2 }
    END { for (i = 1; i <= na; i++) print first(o, no, a[i]), first(p, np, a[i]) }
' "$work/alarms" "$work/onsets" >"$work/delays"
delay_count=$(awk '$1 != "miss"' "$work/delays" | wc -l)
delay_miss=$(awk '$1 == "miss"' "$work/delays" | wc -l)
awk '$1 != "miss" {print $1}' "$work/delays" >"$work/delays_ok"
awk '$2 != "miss" {print $2}' "$work/delays" >"$work/play_ok"
awk '$1 != "miss" && $2 != "miss" {print $1 - $2}' "$work/delays" >"$work/playback_ok"

# --- table --------------------------------------------------------------------------------
k_start=$(median <"$work/k_start"); m_start=$(median <"$work/m_start")
k_startcpu=$(median <"$work/k_startcpu"); m_startcpu=$(median <"$work/m_startcpu")
k_rss=$(median <"$work/k_rss"); m_rss=$(median <"$work/m_rss"); k_rss_armed=$(median <"$work/k_rss_armed")
k_cpu=$(median <"$work/k_cpu"); k_cpu_ticks=$(median <"$work/k_cpu_ticks")
d_med=$(median <"$work/delays_ok")
d_max=$(sort -g "$work/delays_ok" | tail -1); d_max=${d_max:-n/a}
d_min=$(sort -g "$work/delays_ok" | head -1); d_min=${d_min:-n/a}
p_med=$(median <"$work/play_ok"); p_max=$(sort -g "$work/play_ok" | tail -1); p_max=${p_max:-n/a}
pb_med=$(median <"$work/playback_ok"); pb_max=$(sort -g "$work/playback_ok" | tail -1); pb_max=${pb_max:-n/a}

verdict() { awk -v v="$1" -v lim="$2" 'BEGIN {if (v == "n/a" || v == "") print "?"; else print (v + 0 <= lim + 0 ? "ok" : "MISSED")}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b + 0 == 0 || a == "n/a") print "n/a"; else printf "%.2f", a / b}'; }
mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }

r_start=$(ratio "$k_start" "$m_start"); r_startcpu=$(ratio "$k_startcpu" "$m_startcpu"); r_rss=$(ratio "$k_rss" "$m_rss"); r_rss_armed=$(ratio "$k_rss_armed" "$m_rss")
{
    echo
    echo "Klangor benchmark, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, $(uname -m), Xvfb + openbox + PulseAudio null sink"
    echo "Medians of $runs runs (CPU: $cpu_instances copies over ${cpu_seconds} s; sound: $alarms alarms)."
    echo
    printf '%-44s %10s %10s %7s %9s %s\n' "figure" "klangor" "minimal" "ratio" "target" ""
    printf '%-44s %10s %10s %7s %9s %s\n' "start-up, exec to window mapped (ms)" "$k_start" "$m_start" "$r_start" "<= 1.2x" "$(verdict "$r_start" 1.2)"
    printf '%-44s %10s %10s %7s\n' "  CPU time used until then (ms)" "$k_startcpu" "$m_startcpu" "$r_startcpu"
    printf '%-44s %10s %10s %7s %9s %s\n' "memory, RSS 5 s after start, idle (MiB)" "$(mib "$k_rss")" "$(mib "$m_rss")" "$r_rss" "<= 1.3x" "$(verdict "$r_rss" 1.3)"
    printf '%-44s %10s %10s %7s %9s %s\n' "memory, RSS alarm armed + repeater (MiB)" "$(mib "$k_rss_armed")" "$(mib "$m_rss")" "$r_rss_armed" "<= 1.3x" "$(verdict "$r_rss_armed" 1.3)"
    printf '%-44s %10s %10s %7s %9s %s\n' "CPU, alarm armed + repeater (% of a core)" "$k_cpu" "$m_cpu" "" "< 0.1 %" "$(verdict "$k_cpu" 0.1)"
    printf '%-44s %10s %10s %7s %9s\n' "  same from utime+stime ticks (1/$hz s)" "$k_cpu_ticks" "$m_cpu_ticks" "" ""
    printf '%-44s %10s %10s %7s %9s %s\n' "alarm time to first sound at the sink (ms)" "$d_med" "" "" "< 50 ms" "$(verdict "$d_max" 50)"
    printf '%-44s %10s\n' "  min / max over the alarms (ms)" "$d_min / $d_max"
    printf '%-44s %10s\n' "  alarms heard / silent" "$delay_count / $delay_miss"
    printf '%-44s %10s\n' "  of which alarm time to play(), median / max" "$p_med / $p_max"
    printf '%-44s %10s\n' "  and play() to the sink, median / max" "$pb_med / $pb_max"
    [ "$drive_failures" -eq 0 ] || echo "WARNING: $drive_failures time(s) arming the alarm or the repeater did not minimise the window"
    echo "Total bench time: $(( $(date +%s) - t_begin )) s"
} | tee "$work/table"
[ -z "${BENCH_RESULTS:-}" ] || cp -r "$work" "$BENCH_RESULTS"
