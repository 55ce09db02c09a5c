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
    xvfb xauth openbox xdotool x11-utils x11-xserver-utils pulseaudio pulseaudio-utils sox imagemagick dbus dbus-daemon
    # the window in other locales: the locales themselves and a Japanese font
    locales fonts-vlgothic
    # packaging and validation
    desktop-file-utils appstream dpkg-dev file
    # Windows layer: cross compiler, resource compiler, and wine64 to run its console test
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64
)

# The locales the tests show the window in (12-hour, right-to-left, CJK and 24-hour formats).
test_locales=(en_US.UTF-8 en_GB.UTF-8 tr_TR.UTF-8 de_DE.UTF-8 ja_JP.UTF-8 ar_EG.UTF-8)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
# "en_US.UTF-8" is listed by `locale -a` as "en_US.utf8".
missing_locales=()
available_locales=$(locale -a 2>/dev/null || true)
for l in "${test_locales[@]}"; do
    grep -qxi "${l%.UTF-8}.utf8" <<<"$available_locales" || missing_locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    [ ${#missing[@]} -eq 0 ] || echo "Missing packages: ${missing[*]}" >&2
    [ ${#missing_locales[@]} -eq 0 ] || echo "Missing locales: ${missing_locales[*]}" >&2
    echo "Run as root, or install them with: sudo apt-get install ${missing[*]} and" \
        "sudo locale-gen after enabling the locales in /etc/locale.gen" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ ${#missing_locales[@]} -gt 0 ]; then
    echo "Generating locales: ${missing_locales[*]}"
    touch /etc/locale.gen
    for l in "${missing_locales[@]}"; do
        # Enable a commented-out line, or add the locale when the file does not list it.
        sed -i "s/^# *\(${l//./\\.} UTF-8\)\$/\1/" /etc/locale.gen
        grep -qx "$l UTF-8" /etc/locale.gen || echo "$l UTF-8" >>/etc/locale.gen
    done
    locale-gen >/dev/null
fi
