#!/usr/bin/env bash
# Installs, from Debian 12, every package the module needs to build, run and test.
# Only what is missing is installed (apt-get through sudo when not root).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6opengl6-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  zlib1g-dev libx11-dev
  libgtest-dev libgmock-dev
  xvfb xauth fonts-dejavu-core
  clang-format
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo -E apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
