#!/usr/bin/env bash
# Installs the Debian 12 packages Klangor needs, in two sets:
#
#   tools/install-deps.sh run     what building and running the program need (make run)
#   tools/install-deps.sh test    all of that, and what the tests, the benchmark, packaging and
#                                 the Windows layer need (make test, make build)
#   tools/install-deps.sh --list run|test    prints the set, one package a line
#
# Idempotent and quiet when everything is already there. Run as a normal user, it installs
# nothing and prints the one apt-get line that would.
set -euo pipefail

run_packages=(
    # build the program and its sound module
    g++ cmake make pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev libxext-dev libx11-dev
    # run it: the X11 platform plugin, image and SVG plugins, fonts, Qt's own Turkish texts, and
    # xdg-open, which opens a document picked for "Execute Command"
    qt6-qpa-plugins qt6-image-formats-plugins libqt6svg6 fonts-dejavu-core fonts-liberation2
    qt6-translations-l10n xdg-utils
)
test_packages=(
    # development tools
    clang-format qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    # end-to-end tests: display, window manager, sound server, buses
    xvfb xauth openbox xdotool x11-utils pulseaudio pulseaudio-utils sox imagemagick dbus dbus-daemon
    # packaging and validation
    desktop-file-utils appstream dpkg-dev file lintian
    # Windows layer: cross compiler, resource compiler, and wine64 to run its console test
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64
    # make windows / test-windows: the cross Qt's build tool, the setup program, the zip
    ninja-build nsis zip
)

list=false
if [ "${1:-}" = --list ]; then
    list=true
    shift
fi
case "${1:-test}" in
    run) packages=("${run_packages[@]}") ;;
    test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 [--list] run|test" >&2; exit 2 ;;
esac
if $list; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages; install them with:" >&2
    echo "sudo apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
