#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists the sources, scripts and build files that lack their licence line
# ("SPDX-License-Identifier: GPL-3.0-or-later", CC0-1.0 for the AppStream metadata) in their
# first lines, and fails when there is one. tools/dist/add-spdx.sh adds the missing lines.
#
#   tools/dist/check-spdx.sh [SOURCE_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "${1:-$here/../..}" && pwd)
source "$here/spdx-lib.sh"

missing=0
while IFS= read -r f; do
    style=$(spdx_style "$root/$f")
    [ "$style" = none ] && continue
    licence=$(spdx_licence "$f")
    if ! spdx_has "$root/$f" "$licence"; then
        echo "$f: no \"SPDX-License-Identifier: $licence\" in its first $SPDX_HEAD_LINES lines"
        missing=$((missing + 1))
    fi
done < <(spdx_files "$root" | LC_ALL=C sort)

if [ "$missing" -gt 0 ]; then
    echo "$missing file(s) without their licence line; tools/dist/add-spdx.sh adds them" >&2
    exit 1
fi
echo "every source, script and build file names its licence"
