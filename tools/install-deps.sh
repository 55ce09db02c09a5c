#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Klangor need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
    # build
    g++ cmake make pkg-config clang-format
    qt6-base-dev qt6-multimedia-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
    libxext-dev libx11-dev
    # run
    qt6-qpa-plugins qt6-image-formats-plugins libqt6svg6 fonts-dejavu-core fonts-liberation2
    # end-to-end tests: display, window manager, sound server, buses
    xvfb xauth openbox xdotool x11-utils pulseaudio pulseaudio-utils sox imagemagick dbus dbus-daemon
    # packaging and validation
    desktop-file-utils appstream dpkg-dev file
    # Windows layer: cross compiler, resource compiler, and wine64 to run its console test
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64
    # make windows / test-windows: the cross Qt's build tool, the setup program, the zip
    ninja-build nsis zip
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run as root, or install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
