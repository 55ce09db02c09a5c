#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The setup program under wine, silently as an administrator would script it: it installs
# klangor.exe under Program Files, a Start-menu shortcut and the Add/Remove Programs entry; the
# uninstaller takes all of that away again and leaves the user's settings, unless
# /REMOVESETTINGS asks for them too.
#
#   installer_wine.sh SETUP_EXE        (in the wine prefix of tools/windows/test.sh)
set -euo pipefail
setup=$1
: "${WINEPREFIX:?run through tools/windows/test.sh, which prepares a private wine prefix}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
drive=$WINEPREFIX/drive_c
dir="$drive/Program Files/Klangor"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Klangor.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Klangor'
settings_key='HKCU\Vostrel\klangor2'

log() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }
fail() { log "FAIL: $*"; exit 1; }
query() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }
wait_for() {  # wait_for SECONDS WHAT COMMAND...
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for $what"
        sleep 0.5
    done
}
installed() { [ -f "$dir/klangor.exe" ] && [ -f "$dir/uninstall.exe" ] && [ -f "$shortcut" ]; }
all_gone() { [ ! -e "$dir" ] && [ ! -e "$shortcut" ] && ! query "$uninstall_key" >/dev/null; }
install() {
    "$wine" "$setup" /S
    "$(dirname "$wine")/wineserver" -w
    wait_for 60 "the installed files" installed
    log "installed: $(cd "$dir" && ls | tr '\n' ' ')"
}
uninstall() {  # the uninstaller runs from a copy of itself and returns at once
    "$wine" "$dir/uninstall.exe" /S "$@"
    wait_for 60 "the uninstaller to remove everything" all_gone
    "$(dirname "$wine")/wineserver" -w
}

install
cmp -s "$dir/klangor.exe" "$(dirname "$setup")/package/klangor.exe" || fail "the installed klangor.exe is not the one built"
entry=$(query "$uninstall_key")
for value in "DisplayName    REG_SZ    Klangor" "Publisher    REG_SZ    Vostrel" \
             "DisplayVersion    REG_SZ    2.6.0" "UninstallString    REG_SZ    \"C:\\Program Files\\Klangor\\uninstall.exe\""; do
    grep -qF "$value" <<<"$entry" || fail "Add/Remove Programs entry lacks \"$value\": $entry"
done
# The user's settings, as the program leaves them.
"$wine" reg add "$settings_key" /v lang /t REG_SZ /d TR /f >/dev/null
uninstall
query "$settings_key" | grep -q "lang" || fail "the uninstaller removed the user's settings unasked"
log "uninstalled; the settings stay"

install
uninstall /REMOVESETTINGS
query "$settings_key" >/dev/null && fail "/REMOVESETTINGS left $settings_key"
log "uninstalled with /REMOVESETTINGS; the settings are gone"
log "PASS"
