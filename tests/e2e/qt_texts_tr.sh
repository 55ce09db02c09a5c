#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Qt's own texts follow the interface: in Turkish, the file dialog that "Komut Çalıştır" opens is
# titled "Aç"; after the language button it is "Open" again.
source "$(dirname "$0")/lib.sh"

mkdir -p "$(dirname "$SETTINGS")"
printf '[General]\nlang=TR\n' >"$SETTINGS"

# dialog_titled TITLE: a window of the program with exactly that title is shown.
dialog_titled() {
    local id
    for id in $(xdotool search --all --pid "$KLANGOR_PID" --name "^$1\$" 2>/dev/null); do
        is_viewable "$id" && return 0
    done
    return 1
}
no_dialog_titled() { ! dialog_titled "$1"; }

start_klangor
for title in "Aç" "Open"; do
    activate "$WIN"
    sleep 0.3
    choose_action 6 # "Komut Çalıştır" / "Execute Command": the file dialog opens
    wait_until 20 "the file dialog titled '$title'" dialog_titled "$title"
    log "file dialog titled '$title'"
    key Escape
    wait_until 10 "the file dialog to close" no_dialog_titled "$title"
    [ "$title" = "Aç" ] && click_at $((199 + 107 + 15)) $((1 + 3 + 12)) # lnlLang: to English
    sleep 0.5
done
log "PASS"
