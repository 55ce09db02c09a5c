#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the address of the first Debian mirror that this machine's apt sources use for SUITE
# (a "deb" or "deb-src" entry naming it), so that a source package is fetched from wherever the
# machine already gets its packages, a local mirror included.
#
#   tools/windows/apt-mirror.sh SUITE [APT_ETC]
#
# APT_ETC is /etc/apt unless given. Reads sources.list.d/*.sources (deb822: Types, URIs, Suites,
# Enabled), then sources.list and sources.list.d/*.list (one line each: deb [options] URI SUITE
# COMPONENTS). Exits 1, printing nothing, when no entry names SUITE.
set -euo pipefail
suite=${1:?usage: apt-mirror.sh SUITE [APT_ETC]}
etc=${2:-/etc/apt}

shopt -s nullglob
deb822=("$etc"/sources.list.d/*.sources)
one_line=()
[ -f "$etc/sources.list" ] && one_line+=("$etc/sources.list")
one_line+=("$etc"/sources.list.d/*.list)

found=""
if [ ${#deb822[@]} -gt 0 ]; then
    found=$(awk -v suite="$suite" '
        function flush() {
            if (types ~ /(^| )deb(-src)?( |$)/ && (" " suites " ") ~ (" " suite " ") &&
                tolower(enabled) != "no" && uris != "" && first == "") {
                split(uris, u, " ")
                first = u[1]
            }
            types = uris = suites = enabled = ""
        }
        FNR == 1 { flush() }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        /^[A-Za-z-]+:/ {
            field = tolower(substr($0, 1, index($0, ":") - 1))
            value = substr($0, index($0, ":") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", value)
            gsub(/[ \t]+/, " ", value)
            if (field == "types") types = value
            else if (field == "uris") uris = value
            else if (field == "suites") suites = value
            else if (field == "enabled") enabled = value
        }
        END { flush(); if (first != "") print first }
    ' "${deb822[@]}")
fi
if [ -z "$found" ] && [ ${#one_line[@]} -gt 0 ]; then
    found=$(awk -v suite="$suite" '
        /^[ \t]*#/ { next }
        $1 == "deb" || $1 == "deb-src" {
            i = 2
            if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
            if ($(i + 1) == suite) { print $i; exit }
        }
    ' "${one_line[@]}")
fi
[ -n "$found" ] || exit 1
echo "${found%/}"
