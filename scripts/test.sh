#!/usr/bin/env bash
# Sets up, builds and runs every test of the module.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)" --timeout 600
