#!/usr/bin/env bash
# Formats every C++ file git knows with the repository's .clang-format.
# `tools/format.sh --check` changes nothing and fails when a file is not formatted.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
command -v clang-format >/dev/null || bash tools/install-deps.sh
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
[ ${#files[@]} -eq 0 ] && exit 0
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
