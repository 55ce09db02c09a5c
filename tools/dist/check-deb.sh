#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from a build (into a scratch folder, not the build folder) and checks
# it as a distribution would: lintian finds no error, and it carries the copyright file, the
# changelog, and the dependencies found by dpkg-shlibdeps plus xdg-utils (without which no
# document picked for "Execute Command" opens) and Qt's translations.
#
#   tools/dist/check-deb.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v lintian >/dev/null || fail "lintian is not installed (tools/install-deps.sh installs it)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack could not make the package"; }
deb=$(ls "$work"/*.deb)
echo "package: $(basename "$deb")"

# Errors fail; warnings and notes are shown for whoever reads the log.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors on $(basename "$deb")"

contents=$(dpkg-deb -c "$deb")
doc=./usr/share/doc/klangor
for f in copyright changelog.gz; do
    grep -q " $doc/$f\$" <<<"$contents" || fail "$doc/$f is not in the package"
done
dpkg-deb -x "$deb" "$work/root"
copyright=$work/root/usr/share/doc/klangor/copyright
head -n1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "the copyright file is not in the machine-readable format"
grep -q '^License: GPL-3+$' "$copyright" || fail "the copyright file does not name GPL-3+"
version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(zcat "$work/root/usr/share/doc/klangor/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[ "$changelog_version" = "$version" ] || fail "changelog is at $changelog_version, the package at $version"
depends=$(dpkg-deb -f "$deb" Depends)
for package in qt6-translations-l10n xdg-utils libqt6widgets6; do
    [[ ", $depends," =~ ", $package"[\ ,] ]] || fail "no dependency on $package: $depends"
done
echo "package OK: $depends"
