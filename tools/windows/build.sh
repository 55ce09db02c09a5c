#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Klangor for 64-bit Windows: the cross Qt (once, tools/windows/build-qt.sh), then the
# program in its own CMake tree with the mingw-w64 toolchain, then the setup program (NSIS) and
# a zip of the program file.
#
#   tools/windows/build.sh HOST_BUILD WINDOWS_BUILD [--tests]
#
# HOST_BUILD is a Linux build of the same sources: its sound synthesiser and icon renderer make
# the recordings and the icon that the Windows program file carries. With --tests the tree also
# builds the unit and widget tests (make test-windows runs them under wine).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
host=$1 out=$2
tests=OFF
[ "${3:-}" = --tests ] && tests=ON
jobs=${JOBS:-$(nproc)}

bash "$here/build-qt.sh"
qt=$(bash "$here/build-qt.sh" --print-prefix)
for tool in makensis zip x86_64-w64-mingw32-g++-posix; do
    command -v "$tool" >/dev/null || { echo "missing $tool (tools/install-deps.sh test installs it)" >&2; exit 1; }
done

# The host tools, from the Linux build.
cmake --build "$host" -j "$jobs" --target klangor_synth klangor-render-icon
host=$(cd "$host" && pwd)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$out/CMakeCache.txt" ] || ! grep -q "^KLANGOR_TESTS:BOOL=$tests$" "$out/CMakeCache.txt"; then
    start=$(date +%s)
    cmake -S "$src" -B "$out" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/mingw-x64.cmake" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DKLANGOR_HOST_TOOLS="$host" -DKLANGOR_TESTS=$tests \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine-run.sh" \
        "${launcher[@]}" ${KLANGOR_WERROR:+-DKLANGOR_WERROR=$KLANGOR_WERROR}
    echo "windows: configured in $(($(date +%s) - start)) s"
fi
start=$(date +%s)
cmake --build "$out" -j "$jobs"
echo "windows: built in $(($(date +%s) - start)) s"

# The program file, stripped, and what ships with it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
x86_64-w64-mingw32-strip -o "$out/package/klangor.exe" "$out/klangor.exe" 2>/dev/null || {
    mkdir -p "$out/package"
    x86_64-w64-mingw32-strip -o "$out/package/klangor.exe" "$out/klangor.exe"
}
rm -f "$out/klangor-$version-win64.zip"
(cd "$out/package" && zip -q -9 "../klangor-$version-win64.zip" klangor.exe)
makensis -V2 -NOCD -DVERSION="$version" -DPACKAGE="$out/package" \
    -DICON="$out/icons/klangor.ico" -DOUTFILE="$out/klangor-$version-setup.exe" \
    "$here/klangor.nsi"
ls -l "$out/klangor.exe" "$out/klangor-$version-win64.zip" "$out/klangor-$version-setup.exe"
