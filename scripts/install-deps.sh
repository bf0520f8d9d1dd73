#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the fonts need, when missing.
# Usage: scripts/install-deps.sh [build|test]
set -euo pipefail
kind=${1:-build}

packages=(cmake ninja-build g++ pkg-config libfreetype-dev libfontconfig-dev libpng-dev
          fonts-liberation2 fonts-dejavu-core fonts-nanum qt6-base-dev libgl-dev)
if [ "$kind" = test ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format
             python3-pil imagemagick libjpeg-turbo-progs giflib-tools pngcheck
             xvfb xauth xdotool x11-utils xclip dbus at-spi2-core python3-pyatspi)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
