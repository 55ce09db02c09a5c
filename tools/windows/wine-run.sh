#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program built for Windows under wine64: the emulator of the Windows build tree
# (CMAKE_CROSSCOMPILING_EMULATOR), through which ctest runs the tests' .exe files.
#
#   tools/windows/wine-run.sh PROGRAM.exe [ARGS...]
#
# WINEPREFIX must name a prepared prefix (tools/windows/test.sh makes one per run). wine may
# exit 0 when the program never ran, so success needs the program's own last word too: QtTest's
# "Totals: ... 0 failed" line, or the Win32 layer test's "checks passed".
set -uo pipefail
: "${WINEPREFIX:?run through tools/windows/test.sh, which prepares a private wine prefix}"
[ -f "$WINEPREFIX/system.reg" ] || { echo "FAIL: $WINEPREFIX is not a prepared wine prefix" >&2; exit 1; }
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

out=$(mktemp /tmp/klangor-wine-out.XXXXXX)
log=$(mktemp /tmp/klangor-wine-log.XXXXXX)
trap 'rm -f "$out" "$log"' EXIT
program=$1
shift
if [ -n "${KLANGOR_QTEST:-}" ]; then
    # A QtTest program's log does not reach a pipe under wine: it writes it to a file instead.
    "$wine" "$program" "$@" -o "Z:${log//\//\\},txt" >"$out" 2>&1
    rc=$?
    cat "$log" >>"$out"
else
    "$wine" "$program" "$@" >"$out" 2>&1
    rc=$?
fi
tr -d '\r' <"$out"
tr -d '\r' <"$out" >"$log" && mv "$log" "$out"
if [ "$rc" -ne 0 ]; then
    exit "$rc"
fi
if ! grep -Eq '^(Totals: [0-9]+ passed, 0 failed|win32 layer: [0-9]+ checks passed)' "$out"; then
    echo "FAIL: $program exited 0 under wine without reporting its results: it did not run" >&2
    exit 1
fi
