#!/usr/bin/env bash
# Sets up, builds and runs every test of the module.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)" --timeout 600

# The workbook readers once more on the malformed corpus and the fixtures, under AddressSanitizer
# and UBSan: a bad file must give an error, never a memory fault.
cmake -S "$root" -B "$root/build/asan" -G Ninja -DQD_ASAN=ON -DQD_WERROR=ON >/dev/null
cmake --build "$root/build/asan" -j "$(nproc)" --target workbook_malformed_tests workbook_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$root/build/asan" --output-on-failure -j "$(nproc)" --timeout 600 \
  -R '^(workbook_malformed|Fixtures/|Formats/)'
