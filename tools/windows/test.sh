#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make test-windows: the Windows build's unit and widget tests, then klangor.exe itself, under
# wine64 on a private desktop (tools/e2e/desktop-session.sh: Xvfb, openbox, a PulseAudio null
# sink), in a wine prefix made for this run and removed after it.
#
#   tools/windows/test.sh WINDOWS_BUILD [SCREENSHOT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
shots=${2:-}
if [ -z "${KLANGOR_WINE_DESKTOP:-}" ]; then
    export KLANGOR_WINE_DESKTOP=1
    exec bash "$src/tools/e2e/desktop-session.sh" bash "$here/test.sh" "$build" "$shots"
fi
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
[ -n "$wine" ] || { echo "FAIL: wine64 is not installed (tools/install-deps.sh installs it)" >&2; exit 1; }
[ -f "$build/klangor.exe" ] || { echo "FAIL: $build/klangor.exe is missing: make windows first" >&2; exit 1; }

WINEPREFIX=$(mktemp -d /tmp/klangor-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
started=$(date +%s)
"$wine" wineboot --init >"$WINEPREFIX.boot.log" 2>&1 || true
"$(dirname "$wine")/wineserver" -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "FAIL: wine did not make its prefix:" >&2; cat "$WINEPREFIX.boot.log" >&2; exit 1; }
rm -f "$WINEPREFIX.boot.log"
echo "test-windows: wine prefix ready in $(($(date +%s) - started)) s"

rc=0
started=$(date +%s)
# One suite at a time: their windows share one X server, and a window activated in one suite
# takes the keyboard focus from another's.
(cd "$build" && ctest --output-on-failure -j 1) || rc=1
echo "test-windows: unit and widget tests under wine in $(($(date +%s) - started)) s"
started=$(date +%s)
# The second program the user types into while Klangor rings, from the host build.
host=$(sed -n 's/^KLANGOR_HOST_TOOLS:[A-Z]*=//p' "$build/CMakeCache.txt")
cmake --build "$host" --target key_recorder >/dev/null || { echo "FAIL: the key recorder did not build" >&2; exit 1; }
KLANGOR_KEY_RECORDER="$host/tests/e2e/key_recorder" \
    bash "$src/tests/platform/win32/e2e_wine.sh" "$build/klangor.exe" "$shots" || rc=1
echo "test-windows: klangor.exe end to end under wine in $(($(date +%s) - started)) s"
started=$(date +%s)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
bash "$src/tests/platform/win32/installer_wine.sh" "$build/klangor-$version-setup.exe" || rc=1
echo "test-windows: setup program and uninstaller under wine in $(($(date +%s) - started)) s"
[ $rc -eq 0 ] && echo "test-windows: PASS" || echo "test-windows: FAIL"
exit $rc
