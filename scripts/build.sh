#!/usr/bin/env bash
# Configures and builds the module into build/ at the repository's root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DQD_WERROR=ON >/dev/null
cmake --build "$root/build" -j "$(nproc)"
