#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `make run` installs fewer packages than `make deb`, and that fewer than `make test`: each set of
# tools/install-deps.sh is a strict part of the next, and none names a package twice.
set -euo pipefail
deps="$(dirname "$0")/../install-deps.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }
run=$(bash "$deps" --list run | LC_ALL=C sort)
deb=$(bash "$deps" --list deb | LC_ALL=C sort)
test=$(bash "$deps" --list test | LC_ALL=C sort)
[ "$(uniq -d <<<"$test")" = "" ] || fail "named twice: $(uniq -d <<<"$test")"
# strict_part SMALL LARGE NAME-OF-SMALL NAME-OF-LARGE
strict_part() {
    local extra
    extra=$(LC_ALL=C comm -23 <(echo "$1") <(echo "$2"))
    [ -z "$extra" ] || fail "in the $3 set but not the $4 set: $extra"
    [ "$(wc -l <<<"$1")" -lt "$(wc -l <<<"$2")" ] || fail "the $3 set is not smaller than the $4 set"
}
strict_part "$run" "$deb" run deb
strict_part "$deb" "$test" deb test
echo "make run: $(wc -l <<<"$run") packages; make deb: $(wc -l <<<"$deb"); make test: $(wc -l <<<"$test")"
