#!/usr/bin/env bash
# Fails when a C++ source of the project differs from what clang-format makes of it.
set -euo pipefail
fmt=$1
root=$2
cd "$root"
git ls-files -co --exclude-standard -- '*.cpp' '*.h' 2>/dev/null | grep -v -E '^(build|third_party)' \
  | xargs -r "$fmt" --dry-run --Werror
