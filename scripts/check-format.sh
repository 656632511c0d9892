#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails, listing the files, when a C++ source is not formatted as .clang-format
# says. Fix with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cc' '*.h')
((${#files[@]})) || exit 0
if ! clang-format --dry-run --Werror "${files[@]}" 2>/dev/null; then
  echo "Not formatted (run clang-format -i on these):" >&2
  for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "  $file" >&2
  done
  exit 1
fi
