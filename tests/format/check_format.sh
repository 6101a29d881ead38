#!/usr/bin/env bash
# Fails when a C++ source of the project differs from what clang-format makes of it.
set -euo pipefail
fmt=$1
root=$2
cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files=$(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
else
  files=$(find app forms controls data engine staging firebird kinds workbook db cli tools tests bench -name '*.cpp' -o -name '*.h')
fi
printf '%s\n' $files | grep -v -E '^(build|third_party)' | xargs -r "$fmt" --dry-run --Werror
