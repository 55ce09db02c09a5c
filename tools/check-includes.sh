#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the direction of the dependencies between the program's folders: no file outside app/
# includes the main window (app/form1.h), and the graph of includes between the top folders
# (app, alarm, repeater, sound, lang, settings, platform) has no cycle.
set -euo pipefail
cd "$(dirname "$0")/.."
folders=(app alarm repeater sound lang settings platform)
status=0

outside=$(git ls-files "${folders[@]}" | grep -E '\.(cpp|h)$' | grep -v '^app/' |
          xargs grep -ln '#include "app/form1.h"' || true)
if [ -n "$outside" ]; then
    echo "FAIL: the main window is included outside app/:" >&2
    echo "$outside" >&2
    status=1
fi

# One "from to" pair per folder that includes another; tsort reports a loop.
edges=$(for from in "${folders[@]}"; do
    git ls-files "$from" | grep -E '\.(cpp|h)$' |
        xargs grep -ho '^#include "[a-z_]*/' 2>/dev/null |
        sed -E 's|#include "([a-z_]*)/|\1|' | sort -u |
        while read -r to; do
            [ "$to" != "$from" ] && printf '%s %s\n' "$from" "$to"
        done
done | grep -E " ($(IFS='|'; echo "${folders[*]}"))$" || true)
echo "folder dependencies:"
echo "$edges" | sed 's/ / -> /; s/^/  /'
if ! echo "$edges" | tsort >/dev/null 2>"$(mktemp)"; then
    echo "FAIL: the folders include each other in a circle:" >&2
    echo "$edges" | tsort 2>&1 >/dev/null | sed 's/^/  /' >&2
    status=1
fi
exit $status
