#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Adds the licence line to every source, script and build file that lacks it, as a comment in
# the file's own syntax: at the very top, or right after a "#!" line or an XML declaration,
# which must stay first. Files that have it are left alone, so running it twice changes nothing.
#
#   tools/dist/add-spdx.sh [SOURCE_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "${1:-$here/../..}" && pwd)
source "$here/spdx-lib.sh"

added=0
while IFS= read -r f; do
    path=$root/$f
    style=$(spdx_style "$path")
    [ "$style" = none ] && continue
    licence=$(spdx_licence "$f")
    spdx_has "$path" "$licence" && continue
    line=$(spdx_line "$style" "$licence")
    first=$(head -n 1 "$path")
    tmp=$(mktemp "$path.spdx.XXXXXX")
    if [[ "$first" == '#!'* || "$first" == '<?xml'* ]]; then
        { printf '%s\n%s\n' "$first" "$line"; tail -n +2 "$path"; } >"$tmp"
    else
        { printf '%s\n' "$line"; cat "$path"; } >"$tmp"
    fi
    chmod --reference="$path" "$tmp"
    mv "$tmp" "$path"
    echo "added to $f"
    added=$((added + 1))
done < <(spdx_files "$root" | LC_ALL=C sort)
echo "licence line added to $added file(s)"
