#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make bench-windows: klangor.exe under wine beside a minimal Qt window built the same way
# (static, the same Qt and plugins), on a private desktop (tools/e2e/desktop-session.sh), in a
# wine prefix made for the run. Prints start-up (until the window is mapped) and memory (resident
# set of the wine process 5 s after start), as medians, and their ratios.
#
#   tools/windows/bench.sh WINDOWS_BUILD HOST_BUILD      (BENCH_RUNS: runs per program, default 5)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
host=$(cd "$2" && pwd)
if [ -z "${KLANGOR_WINE_DESKTOP:-}" ]; then
    export KLANGOR_WINE_DESKTOP=1
    exec bash "$src/tools/e2e/desktop-session.sh" bash "$here/bench.sh" "$build" "$host"
fi
runs=${BENCH_RUNS:-5}
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
launch=$host/tools/bench/bench_launch
for f in "$build/klangor.exe" "$build/tools/bench_minimal_window.exe" "$launch"; do
    [ -f "$f" ] || { echo "bench-windows: $f is missing" >&2; exit 1; }
done

WINEPREFIX=$(mktemp -d /tmp/klangor-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8 LANG=C.UTF-8
work=$(mktemp -d /tmp/klangor-bench.XXXXXX)
cleanup() {
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT
"$wine" wineboot --init >/dev/null 2>&1 || true
"$(dirname "$wine")/wineserver" -w
# The wine server stays up between the runs: each start then pays for the program, not for
# bringing wine up.
"$(dirname "$wine")/wineserver" -p || { echo "bench-windows: the wine server did not start" >&2; exit 1; }

median() { sort -g | awk '{v[NR] = $1} END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m}'; }
measure() {  # measure NAME EXE: one run
    local out pid ms
    out=$("$launch" --timeout-ms 60000 "$wine" "$2") || { echo "bench-windows: $2 showed no window" >&2; exit 1; }
    pid=$(sed -n 's/.*pid=\([0-9]*\).*/\1/p' <<<"$out")
    ms=$(sed -n 's/.*ms=\([0-9.]*\).*/\1/p' <<<"$out")
    sleep 5
    echo "$ms" >>"$work/$1.start"
    awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" >>"$work/$1.rss"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    sleep 1
}
# One start of each first, not counted: it fills the disk cache.
measure warm "$build/klangor.exe"
measure warm "$build/tools/bench_minimal_window.exe"
for i in $(seq "$runs"); do
    if (( i % 2 )); then
        measure klangor "$build/klangor.exe"; measure minimal "$build/tools/bench_minimal_window.exe"
    else
        measure minimal "$build/tools/bench_minimal_window.exe"; measure klangor "$build/klangor.exe"
    fi
done
ks=$(median <"$work/klangor.start") ms=$(median <"$work/minimal.start")
kr=$(median <"$work/klangor.rss") mr=$(median <"$work/minimal.rss")
printf '\nklangor.exe under wine (%s), medians of %d runs\n' "$("$wine" --version)" "$runs"
printf '%-22s %12s %14s %8s\n' "" klangor.exe "minimal window" ratio
awk -v k="$ks" -v m="$ms" 'BEGIN { printf "%-22s %9.0f ms %11.0f ms %8.2f\n", "start-up to window", k, m, k / m }'
awk -v k="$kr" -v m="$mr" 'BEGIN { printf "%-22s %8.1f MiB %10.1f MiB %8.2f\n", "resident memory", k / 1024, m / 1024, k / m }'
