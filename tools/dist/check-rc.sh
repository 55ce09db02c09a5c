#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compiles the Windows program file's resources with the mingw-w64 resource compiler and reads
# them back: icon (32 and 16 pixels, 256 colours), the project's version with the maker's domain, and
# the manifest (common controls 6, asInvoker, Windows Vista to 10).
#
#   tools/dist/check-rc.sh WINDRES klangor.rc DOMAIN VERSION     (VERSION: 2.6.0)
set -euo pipefail
windres=$1 rc=$2 domain=$3 version=$4
IFS=. read -r major minor patch <<<"$version"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -n "$windres" ] && command -v "$windres" >/dev/null || fail "no resource compiler (i686-w64-mingw32-windres; tools/install-deps.sh installs it)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$windres" --target=pe-i386 -i "$rc" -o "$work/klangor_res.o"
"$windres" --target=pe-i386 -i "$work/klangor_res.o" -O rc -o "$work/back.rc"
back=$(cat "$work/back.rc")

grep -q "FILEVERSION $major, $minor, $patch, 0" <<<"$back" || fail "file version is not $version.0"
grep -q "PRODUCTVERSION $major, $minor, $patch, 0" <<<"$back" || fail "product version is not $version.0"
for field in CompanyName LegalCopyright; do
    grep -Eq "VALUE \"$field\", \"$domain\"" <<<"$back" || fail "$field does not name $domain"
done
grep -Eq "VALUE \"(FileVersion|ProductVersion)\", \"${version//./\\.}\\.0\"" <<<"$back" || fail "version strings"
grep -q 'Name: "MAINICON"' <<<"$back" || fail "no icon group MAINICON"
grep -q '^1 24 /\* RT_MANIFEST \*/' <<<"$back" || fail "no manifest resource 1"
grep -q 'FILETYPE 0x1$' <<<"$back" || fail "not marked as an application"

"$windres" --target=pe-i386 -i "$work/klangor_res.o" -O res -o "$work/klangor.res"
strings -n 8 "$work/klangor.res" > "$work/strings.txt"
grep -q 'Microsoft.Windows.Common-Controls' "$work/strings.txt" || fail "manifest lacks common controls"
grep -q 'version="6.0.0.0"' "$work/strings.txt" || fail "manifest lacks common controls version 6"
grep -q 'level="asInvoker"' "$work/strings.txt" || fail "manifest does not run asInvoker"
for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -q "$id" "$work/strings.txt" || fail "manifest lacks supportedOS $id"
done

# The icon directory: two 8-bit pictures, 32 and 16 pixels.
ico=$(sed -n 's/^MAINICON ICON "\(.*\)"$/\1/p' "$rc")
[ -f "$ico" ] || fail "icon file $ico missing (built by the klangor_icons target)"
description=$(file -b "$ico")
grep -q '^MS Windows icon resource - 2 icons, 32x32, 8 bits/pixel, 16x16, 8 bits/pixel' <<<"$description" \
    || fail "icon is not 32 and 16 pixels in 256 colours: $description"
echo "Windows resources OK"
