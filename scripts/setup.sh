#!/usr/bin/env bash
# Installs, from Debian 12, every package the module needs to build, run and test.
# Only what is missing is installed: as root directly, otherwise through sudo.
#
# QD_DPKG_QUERY, QD_APT_GET and QD_ID (commands) replace dpkg-query, apt-get and id; the set-up
# test uses them to run this script against a faked package system.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-translations-l10n
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  zlib1g-dev libssl-dev libx11-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev
  xvfb xauth fonts-dejavu-core
  clang-format
  time
)
dpkg_query=${QD_DPKG_QUERY:-dpkg-query}
apt_get=${QD_APT_GET:-apt-get}
id_cmd=${QD_ID:-id}

missing=()
for p in "${packages[@]}"; do
  $dpkg_query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
run=()
if [ "$($id_cmd -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup: these packages are missing and sudo is not available; install them as root:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    exit 1
  fi
  run=(sudo -E)
fi
export DEBIAN_FRONTEND=noninteractive
"${run[@]}" $apt_get update -qq
"${run[@]}" $apt_get install -y -qq --no-install-recommends "${missing[@]}"
