#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make test-stress: runs the whole suite RUNS times in a row (default 3) while stress-ng keeps
# every core busy, and says how each run went. A test that passes on a quiet machine and fails
# here depends on the machine's speed, which no test may: every wait is for a condition.
#
#   tools/test-stress.sh BUILD [RUNS]
#
# The suite runs as `make test` runs it (ctest -j <cores>). stress-ng runs at the same priority
# as the tests, one CPU worker per core, and ends with this script. Exit code 0 when every run
# passed.
set -euo pipefail
build=${1:?usage: test-stress.sh BUILD [RUNS]}
runs=${2:-3}
cores=$(nproc)
command -v stress-ng >/dev/null || {
    echo "FAIL: stress-ng is not installed (tools/install-deps.sh test installs it)" >&2
    exit 1
}

log_dir=$(cd "$build" && pwd)/stress
mkdir -p "$log_dir"
stress-ng --cpu "$cores" --cpu-method all --quiet >"$log_dir/stress-ng.log" 2>&1 &
stress=$!
trap 'kill "$stress" 2>/dev/null || true; wait "$stress" 2>/dev/null || true' EXIT
sleep 1
kill -0 "$stress" 2>/dev/null || { echo "FAIL: stress-ng did not start:" >&2; cat "$log_dir/stress-ng.log" >&2; exit 1; }
echo "stress-ng keeps $cores cores busy (pid $stress); $runs runs of the whole suite"

passed=0
results=()
for run in $(seq "$runs"); do
    begun=$(date +%s)
    rc=0
    (cd "$build" && ctest --output-on-failure -j "$cores" -LE desktop) >"$log_dir/run$run.log" 2>&1 || rc=$?
    took=$(($(date +%s) - begun))
    summary=$(grep -E '^[0-9]+% tests passed' "$log_dir/run$run.log" || echo "no summary")
    if [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        results+=("run $run: passed in ${took} s: $summary")
    else
        failures=$(sed -n '/The following tests FAILED/,$p' "$log_dir/run$run.log" | grep -E '^\s+[0-9]+ - ' | tr -s ' ' || true)
        results+=("run $run: FAILED in ${took} s: $summary;$(tr '\n' ';' <<<"$failures")")
    fi
    echo "${results[-1]}"
done
echo "=== under load: $passed of $runs runs passed (logs in $log_dir)"
printf '%s\n' "${results[@]}"
[ "$passed" -eq "$runs" ]
