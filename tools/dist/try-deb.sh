#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries the Debian package on this machine as a user would meet it: installs it with apt-get
# (which pulls in its dependencies), starts the program from its desktop entry on a private
# desktop until its window shows, then removes the package again. Run as root:
#
#   tools/dist/try-deb.sh build/klangor_2.6.0_amd64.deb
set -euo pipefail
deb=$(realpath "${1:?the .deb to try}")
root=$(cd "$(dirname "$0")/../.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "run as root: it installs and removes the package" >&2; exit 1; }
if dpkg-query -W -f='${Status}' klangor 2>/dev/null | grep -q 'install ok installed'; then
    echo "klangor is installed already; remove it first (apt-get remove klangor)" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
session=$(mktemp /tmp/klangor-try-deb.XXXXXX)
trap 'rm -f "$session"; apt-get remove -y -qq klangor >/dev/null && echo "package removed"' EXIT
echo "installed: $(dpkg-query -W -f='${Package} ${Version}' klangor)"

entry=/usr/share/applications/klangor.desktop
desktop-file-validate "$entry"
for f in /usr/bin/klangor /usr/share/icons/hicolor/48x48/apps/klangor.png \
    /usr/share/icons/hicolor/scalable/apps/klangor.svg /usr/share/metainfo/*.metainfo.xml; do
    [ -e "$f" ] || { echo "FAIL: $f not installed" >&2; exit 1; }
done

# Start it the way a menu does: the entry's Exec line, found through the installed entry.
cat >"$session" <<'SESSION'
set -euo pipefail
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/klangor.desktop | head -n1)
cd "$HOME"
$exec_line >"$XDG_RUNTIME_DIR/klangor.log" 2>&1 &
pid=$!
for _ in $(seq 300); do
    win=$(xdotool search --all --pid "$pid" --name '^Tempiro' 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.1
done
[ -n "$win" ] || { echo "FAIL: no window from '$exec_line'" >&2; cat "$XDG_RUNTIME_DIR/klangor.log" >&2; exit 1; }
echo "'$exec_line' shows: $(xprop -id "$win" _NET_WM_NAME | cut -d= -f2)"
kill -TERM "$pid"
wait "$pid"
echo "ended cleanly; settings written: $(ls "$XDG_CONFIG_HOME"/Vostrel/ 2>/dev/null)"
SESSION
bash "$root/tools/e2e/desktop-session.sh" bash "$session"
echo "the package works"
