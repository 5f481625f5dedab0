#!/usr/bin/env bash
# Installs everything the project needs to build, test and benchmark on Debian 12.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git clang-format
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libftdi1-dev libusb-1.0-0-dev
  libsimpleini-dev libcli11-dev
  cmark-gfm dpkg-dev python3 python3-pytest
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libqscintilla2-qt6-dev libgl-dev
  xvfb xauth xdotool fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
