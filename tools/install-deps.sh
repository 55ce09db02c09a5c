#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages Klangor needs, in four sets:
#
#   tools/install-deps.sh run     what building and running the program need (make run)
#   tools/install-deps.sh deb     that, and what building the Debian package needs (make deb)
#   tools/install-deps.sh test    all of that, and what the tests, the benchmark, packaging and
#                                 the Windows layer need (make test, make build)
#   tools/install-deps.sh desktops  all of that, and the desktops the real-desktop suite starts
#                                 (make e2e-desktops)
#   tools/install-deps.sh --list run|deb|test|desktops    prints the set, one package a line
#
# `test` also generates the locales the tests show the window in. Idempotent and quiet when
# everything is already there. Run as a normal user, it installs nothing and prints the one
# apt-get line that would.
set -euo pipefail

run_packages=(
    # build the program and its sound module
    g++ cmake make pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev libxext-dev libx11-dev libpulse-dev
    # run it: the X11 platform plugin, image and SVG plugins, fonts, Qt's own Turkish texts, and
    # xdg-open, which opens a document picked for "Execute Command"
    qt6-qpa-plugins qt6-image-formats-plugins libqt6svg6 fonts-dejavu-core fonts-liberation2
    qt6-translations-l10n xdg-utils
)
# cpack's Debian generator: dpkg-shlibdeps finds the package's dependencies, with file's help
deb_packages=(dpkg-dev file)
test_packages=(
    # development tools
    clang-format qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    # end-to-end tests: display, window manager, sound server, buses
    xvfb xauth openbox xdotool x11-utils x11-xserver-utils pulseaudio pulseaudio-utils sox imagemagick
    dbus dbus-daemon
    # the window in other locales: the locales themselves and a Japanese font
    locales fonts-vlgothic
    # packaging and validation (and deb_packages)
    desktop-file-utils appstream lintian
    # Windows layer: cross compiler, resource compiler, and wine64 to run its console test
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64
    # make windows / test-windows: the cross Qt's build tool, the setup program, the zip, and a
    # notification area on the test desktop for klangor.exe's icon and balloons
    ninja-build nsis zip trayer
    # make test-stress: keeps every core busy while the suite runs
    stress-ng
)
desktop_packages=(
    # the desktops `make e2e-desktops` starts: GNOME Shell (gjs runs its notification and screen
    # saver services), KWin on Wayland and X11 (with dunst, kscreen-doctor and Qt's Wayland
    # plugin), xfwm4 with xfce4-notifyd; Python's D-Bus and GObject bindings for the stand-in
    # login manager and GNOME's remote input (about 600 MB)
    gnome-shell mutter gjs kwin-wayland kwin-x11 libkf5screen-bin dunst qtwayland5
    xfwm4 xfce4-notifyd xterm python3-dbus python3-gi
)

# The locales the tests show the window in (12-hour, right-to-left, CJK and 24-hour formats).
test_locales=(en_US.UTF-8 en_GB.UTF-8 tr_TR.UTF-8 de_DE.UTF-8 ja_JP.UTF-8 ar_EG.UTF-8)

list=false
if [ "${1:-}" = --list ]; then
    list=true
    shift
fi
case "${1:-test}" in
    run) packages=("${run_packages[@]}") locales=() ;;
    deb) packages=("${run_packages[@]}" "${deb_packages[@]}") locales=() ;;
    test)
        packages=("${run_packages[@]}" "${deb_packages[@]}" "${test_packages[@]}")
        locales=("${test_locales[@]}")
        ;;
    desktops)
        packages=("${run_packages[@]}" "${deb_packages[@]}" "${test_packages[@]}"
                  "${desktop_packages[@]}")
        locales=("${test_locales[@]}")
        ;;
    *) echo "usage: $0 [--list] run|deb|test|desktops" >&2; exit 2 ;;
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
# "en_US.UTF-8" is listed by `locale -a` as "en_US.utf8".
missing_locales=()
available_locales=$(locale -a 2>/dev/null || true)
for l in "${locales[@]}"; do
    grep -qxi "${l%.UTF-8}.utf8" <<<"$available_locales" || missing_locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Missing Debian packages; install them with:" >&2
        echo "sudo apt-get install --no-install-recommends ${missing[*]}" >&2
    fi
    if [ ${#missing_locales[@]} -gt 0 ]; then
        echo "Missing locales (${missing_locales[*]}): enable them in /etc/locale.gen and run" \
            "sudo locale-gen" >&2
    fi
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
