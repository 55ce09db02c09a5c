#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix (`cmake --install`) and checks what a desktop needs:
# the program, a desktop entry that starts it by name, the icon it names at every hicolor size
# and as SVG, and the AppStream metadata that points at the entry.
#
#   tools/dist/check-install.sh BUILD_DIR
set -euo pipefail
build=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share

[ -x "$prefix/bin/klangor" ] || fail "bin/klangor not installed"
# The sound module lies where the program looks for it (bin/../<libdir>/klangor), and the sound
# server's client library comes only with it.
module=$(find "$prefix" -path '*/klangor/libklangor-sound.so' | head -1)
[ -n "$module" ] || fail "sound module not installed"
relative=$(strings -el "$prefix/bin/klangor" | sed -n 's:^/\(\.\./.*/klangor\)$:\1:p' | head -1)
[ -n "$relative" ] && [ "$(realpath -m "$prefix/bin/$relative")" = "$(dirname "$module")" ] || fail "the program does not look for its sound module in $(dirname "$module")"
readelf -d "$prefix/bin/klangor" | grep -q 'NEEDED.*libpulse' && fail "the program links the sound server's client"
readelf -d "$module" | grep -q 'NEEDED.*libpulse' || fail "the sound module lacks the sound server's client"
entry=$share/applications/klangor.desktop
[ -f "$entry" ] || fail "desktop entry not installed"
desktop-file-validate "$entry"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry" | head -n1)
[ -x "$prefix/bin/$exec_name" ] || fail "desktop entry runs '$exec_name', which is not installed"
icon=$(sed -n 's/^Icon=//p' "$entry")

for size in 16 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || fail "no $size px icon"
    file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is not a $size x $size PNG"
done
grep -q '<svg' "$share/icons/hicolor/scalable/apps/$icon.svg" || fail "no scalable icon"

metainfo=$(ls "$share"/metainfo/*.metainfo.xml 2>/dev/null | head -1)
[ -n "$metainfo" ] || fail "no AppStream metadata"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "installed metadata does not validate"
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "metadata file is not named after its id $id"
grep -q '<launchable type="desktop-id">klangor.desktop</launchable>' "$metainfo" \
    || fail "metadata does not launch klangor.desktop"
echo "install tree OK"
