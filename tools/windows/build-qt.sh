#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a static Qt 6.4.2 (qtbase) for 64-bit Windows with the mingw-w64 cross compiler, from
# Debian's own source package, into a cache outside the tree. Debian has no Qt for mingw; its
# qt6-base source package is the same 6.4.2 as the host tools (moc, rcc, uic) in
# qt6-base-dev-tools, which the cross build uses.
#
# Usage: tools/windows/build-qt.sh [--print-prefix | --no-build]
# The prefix is ~/.cache/klangor/qt-6.4.2-mingw-x64-<key>, the key a hash of the configure line;
# a finished prefix holds a file "complete". The Qt is taken from, in this order:
#   1. that prefix, when it is complete;
#   2. a tarball of it, <prefix's name>.tar.xz, in the shared cache folder ($KLANGOR_SHARED_CACHE,
#      by default ../shared/cache beside the checkout), with its SHA-256 in <name>.tar.xz.sha256:
#      checked, then unpacked into the cache;
#   3. a build from source: 40-60 minutes on 2 cores.
# --no-build stops before 3 and exits with 3 when only a build would do.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${KLANGOR_CACHE:-$HOME/.cache/klangor}
jobs=${JOBS:-$(nproc)}

# Only what the program and its tests need. OpenGL stays on (dynamic): the Windows platform
# plugin of 6.4.2 does not compile without it. Tablet events are off: Debian's tarball leaves
# out wintab.h.
configure_args=(
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-x64.cmake"
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_BUILD_TYPE=Release
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF
    -DFEATURE_freetype=OFF -DFEATURE_opengl=ON -DFEATURE_opengl_dynamic=ON
    -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF
)
# The cache is named by what shapes the build (the options and the toolchain file's settings),
# not by where the checkout lies nor by the toolchain file's comments.
key=$( (printf '%s\n' "${configure_args[@]}" | grep -v CMAKE_TOOLCHAIN_FILE
        grep -v -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$here/mingw-x64.cmake") |
        sha256sum | cut -c1-12)
prefix="$cache/qt-6.4.2-mingw-x64-$key"
case "${1:-}" in
    --print-prefix) echo "$prefix"; exit 0 ;;
    --no-build | "") ;;
    *) echo "usage: $0 [--print-prefix | --no-build]" >&2; exit 2 ;;
esac
if [ -f "$prefix/complete" ]; then
    echo "Qt for Windows is ready in $prefix"
    exit 0
fi

# A prebuilt prefix in the shared cache, if it is the one this key names and its checksum holds.
name=$(basename "$prefix")
shared=${KLANGOR_SHARED_CACHE:-$(realpath -m "$here/../../../shared/cache")}
packed="$shared/$name.tar.xz"
if [ -f "$packed" ]; then
    expected=$(cut -d' ' -f1 "$packed.sha256" 2>/dev/null || true)
    actual=$(sha256sum "$packed" | cut -d' ' -f1)
    if [ -z "$expected" ]; then
        echo "$packed has no checksum beside it ($name.tar.xz.sha256): not used" >&2
    elif [ "$expected" != "$actual" ]; then
        echo "$packed does not match its checksum ($actual, expected $expected): not used" >&2
    else
        mkdir -p "$cache"
        unpack=$(mktemp -d "$cache/.unpack-$name.XXXXXX")
        trap 'rm -rf "$unpack"' EXIT
        tar -xJf "$packed" -C "$unpack"
        if [ -f "$unpack/$name/complete" ]; then
            rm -rf "$prefix"
            mv "$unpack/$name" "$prefix"
            echo "Qt for Windows unpacked from $packed into $prefix"
            exit 0
        fi
        echo "$packed does not hold $name/complete: not used" >&2
    fi
fi
if [ "${1:-}" = --no-build ]; then
    echo "Qt for Windows is neither in $prefix nor as $packed; it needs a build (make windows-qt)"
    exit 3
fi

for tool in x86_64-w64-mingw32-g++-posix cmake ninja; do
    command -v "$tool" >/dev/null || {
        echo "missing $tool: apt-get install g++-mingw-w64-x86-64-posix cmake ninja-build" >&2
        exit 1
    }
done

# Debian's source package through a private apt configuration, from the mirror the machine's
# own apt sources name (the first that serves bookworm): the system's sources stay as they are.
apt_dir="$cache/apt"
src_dir="$cache/src"
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$src_dir"
mirror=$(bash "$here/apt-mirror.sh" bookworm) || {
    echo "no apt source of this machine serves bookworm; cannot fetch qt6-base's source" >&2
    exit 1
}
printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\n' "$mirror" \
    >"$apt_dir/sources/bookworm-src.sources"
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources"
          -o Dir::State::Lists="$apt_dir/lists")
if ! ls "$src_dir"/qt6-base_6.4.2*.dsc >/dev/null 2>&1; then
    apt-get "${apt_opts[@]}" update
    (cd "$src_dir" && apt-get "${apt_opts[@]}" source --download-only qt6-base)
fi
tarball=$(ls "$src_dir"/qt6-base_6.4.2*.orig.tar.* | head -n1)
source_tree="$src_dir/qtbase-6.4.2"
if [ ! -f "$source_tree/CMakeLists.txt" ]; then
    rm -rf "$source_tree" && mkdir -p "$source_tree"
    tar -xf "$tarball" -C "$source_tree" --strip-components=1
fi

build="$cache/build-qt-mingw-x64-$key"
mkdir -p "$build"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$source_tree" -B "$build" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" \
        "${configure_args[@]}"
fi
cmake --build "$build" --parallel "$jobs"
cmake --install "$build"
touch "$prefix/complete"
echo "Qt for Windows is ready in $prefix"
