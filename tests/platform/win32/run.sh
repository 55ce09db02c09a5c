#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows layer, from Linux.
#   run.sh compile SOURCE_DIR BUILD_DIR [QT_INCLUDE_DIR...]
#                                         cross-compiles platform/win32 (32-bit, as shipped) and
#                                         links its test, warnings as errors; with Qt include
#                                         folders, also checks the syntax of the Qt-side files
#                                         (Debian has no Qt for Windows: the Linux headers stand in)
#   run.sh wine SOURCE_DIR BUILD_DIR      builds the test for 64-bit and runs it under wine64
# Fails, saying which, when the cross compiler or wine is not installed.
set -euo pipefail

mode=$1
src=$2
out=$3
shift 3
qt_includes=()
for dir in "$@"; do  # the Qt folders only, never the Linux system headers
    case $dir in /usr/include | /usr/local/include) ;; *) qt_includes+=("$dir") ;; esac
done
mkdir -p "$out"

case $mode in
    compile) cxx=i686-w64-mingw32-g++ ;;
    wine) cxx=x86_64-w64-mingw32-g++ ;;
    *) echo "usage: $0 compile|wine SOURCE_DIR BUILD_DIR" >&2; exit 2 ;;
esac
if ! command -v "$cxx" >/dev/null; then
    echo "FAIL: $cxx is not installed (tools/install-deps.sh installs it)" >&2
    exit 1
fi

# The plain Win32 part only: system_platform.cpp, system_parts.cpp and session.cpp are the Qt
# side.
sources=("$src"/platform/win32/win32_*.cpp)
flags=(-std=c++20 -Wall -Wextra -Werror -O1 -I"$src" -static)
libs=(-ladvapi32 -lshell32 -luser32 -lwinmm)
exe="$out/test_win32_layer-$mode.exe"
"$cxx" "${flags[@]}" -o "$exe" "$src/tests/platform/win32/test_win32_layer.cpp" "${sources[@]}" "${libs[@]}"
echo "built $exe with $cxx"
if [ "$mode" = compile ]; then
    if [ ${#qt_includes[@]} -gt 0 ]; then
        # The Linux headers describe a 64-bit Qt: check with the 64-bit compiler.
        for f in "$src"/platform/win32/{system_platform,system_parts,session}.cpp; do
            x86_64-w64-mingw32-g++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only -I"$src" \
                "${qt_includes[@]/#/-isystem}" "$f"
        done
        echo "checked the syntax of the Qt side"
    fi
    exit 0
fi

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
if [ -z "$wine" ]; then
    echo "FAIL: wine64 is not installed (tools/install-deps.sh installs it)"
    exit 1
fi
prefix=$(mktemp -d)
cleanup() {
    WINEPREFIX=$prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
# wine exits 0 even when the program never ran: trust only the program's own last line.
output=$(env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    "$wine" "$exe" 2>"$out/wine-stderr.txt" | tr -d '\r') || true
echo "$output"
if ! grep -qE '^win32 layer: [0-9]+ checks passed$' <<<"$output"; then
    echo "FAIL: the test did not report success (wine's own messages: $out/wine-stderr.txt)"
    exit 1
fi
