#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ file of the repository is not formatted by clang-format (.clang-format).
# C++ only: CMake and shell files are never run through clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "FAIL: clang-format missing (tools/install-deps.sh installs it)" >&2; exit 1; }
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "C++ files formatted"
