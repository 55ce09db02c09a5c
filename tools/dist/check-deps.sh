#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `make run` installs fewer packages than `make test`: the run set of tools/install-deps.sh is a
# strict part of the test set, and neither names a package twice.
set -euo pipefail
deps="$(dirname "$0")/../install-deps.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }
run=$(bash "$deps" --list run | LC_ALL=C sort)
test=$(bash "$deps" --list test | LC_ALL=C sort)
[ "$(uniq -d <<<"$test")" = "" ] || fail "named twice: $(uniq -d <<<"$test")"
extra=$(LC_ALL=C comm -23 <(echo "$run") <(echo "$test"))
[ -z "$extra" ] || fail "in the run set only: $extra"
[ "$(wc -l <<<"$run")" -lt "$(wc -l <<<"$test")" ] || fail "the run set is not smaller than the test set"
echo "make run: $(wc -l <<<"$run") packages; make test: $(wc -l <<<"$test")"
