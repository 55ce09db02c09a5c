# SPDX-License-Identifier: GPL-3.0-or-later
# What check-spdx.sh and add-spdx.sh share: which files of the source tree carry a licence line,
# which licence, and in what comment syntax. Sourced, not run.

SPDX_PROGRAM=GPL-3.0-or-later
# AppStream asks for metadata that anyone may reuse.
SPDX_METADATA=CC0-1.0
# How many lines at the top of a file may come before its licence line (a "#!" line or an XML
# declaration, and the line itself).
SPDX_HEAD_LINES=3

# spdx_files ROOT: the files of the source tree, one per line, relative to ROOT: those Git knows
# (tracked, or new and not ignored) in a checkout, every file but the build folders otherwise.
spdx_files() {
    local root=$1
    if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git -C "$root" ls-files --cached --others --exclude-standard | while IFS= read -r f; do
            [ -f "$root/$f" ] && printf '%s\n' "$f"
        done
    else
        (cd "$root" && find . -type f ! -path './.git/*' ! -path './build*' | sed 's|^\./||')
    fi
}

# spdx_style FILE: how FILE takes its licence line: "slash" (// ...), "hash" (# ...), "xml"
# (<!-- ... -->), or "none" for files that carry none (documentation, pictures, the licence).
spdx_style() {
    local f=$1 base=${1##*/}
    case "$base" in
        # The licence, the copyright file and the changelog say what they are themselves; Debian's
        # changelog format has no place for a comment.
        LICENSE | copyright | copyright.in | changelog | *.md | *.png | *.jpg | *.ico | *.qm)
            echo none; return ;;
        *.cpp | *.h | *.hpp | *.c | *.rc | *.rc.in) echo slash; return ;;
        CMakeLists.txt | *.cmake | Makefile | *.mk | *.sh | *.bash | *.py | *.desktop | *.supp | \
            .gitignore | .clang-format | *.yml | *.yaml | *.conf)
            echo hash; return ;;
        *.ui | *.qrc | *.svg | *.xml | *.xml.in | *.manifest.in | *.ts) echo xml; return ;;
    esac
    # Scripts without an extension (.ci/run) are known by their "#!" line.
    if head -c 2 "$f" 2>/dev/null | grep -q '^#!'; then echo hash; else echo none; fi
}

# spdx_licence FILE: the licence FILE is under.
spdx_licence() {
    case "$1" in
        *.metainfo.xml) echo "$SPDX_METADATA" ;;
        *) echo "$SPDX_PROGRAM" ;;
    esac
}

# spdx_line STYLE LICENCE: the licence line as a comment of that style.
spdx_line() {
    case "$1" in
        slash) echo "// SPDX-License-Identifier: $2" ;;
        hash) echo "# SPDX-License-Identifier: $2" ;;
        xml) echo "<!-- SPDX-License-Identifier: $2 -->" ;;
    esac
}

# spdx_has FILE LICENCE: FILE names LICENCE in its first lines.
spdx_has() {
    head -n "$SPDX_HEAD_LINES" "$1" | grep -Fq "SPDX-License-Identifier: $2"
}
