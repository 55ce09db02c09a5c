#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's pictures of the main window, in English and in Turkish, from the built
# program on a private desktop (tools/e2e/desktop-session.sh):
#
#   tools/screenshot.sh [BUILD_DIR]     writes docs/klangor-en.png and docs/klangor-tr.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${KLANGOR_SCREENSHOT_SESSION:-}" ]; then
    build=$(cd "${1:-$root/build}" && pwd)
    [ -x "$build/klangor" ] || { echo "no program at $build/klangor: run make build first" >&2; exit 1; }
    export KLANGOR_BIN="$build/klangor" KLANGOR_SCREENSHOT_SESSION=1
    exec bash "$root/tools/e2e/desktop-session.sh" bash "$0"
fi

source "$root/tests/e2e/lib.sh"
mkdir -p "$root/docs"

start_klangor
activate "$WIN"
sleep 1
shot() {
    # The window with its title bar, as openbox draws it.
    import -frame -window "$WIN" -strip "$1"
    log "wrote $1"
}
snapshot english 0 0 368 345
shot "$root/docs/klangor-en.png"
click_at $LANG_BUTTON_WIN # the language button
wait_until 10 "the Turkish texts" differs_from english 0 0 368 345
sleep 0.5
shot "$root/docs/klangor-tr.png"
stop_klangor
