#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks what it declares: the libraries
# the program links (found by dpkg-shlibdeps) and xdg-utils, without which no document picked
# for "Execute Command" opens.
#
#   tools/dist/check-deb.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null) || fail "cpack could not build the package"
deb=$(ls "$out"/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -Eq '(^|, )xdg-utils' <<<"$depends" || fail "the package does not depend on xdg-utils"
grep -q 'libqt6widgets6' <<<"$depends" || fail "the package does not depend on Qt Widgets"
