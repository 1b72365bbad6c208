#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when they are missing (as root, or
# through sudo). ORVEL_BENCH=1 adds the benchmark library for the benchmarks under bench/.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libegl-dev qt6-translations-l10n
  libsqlite3-dev
  mdbtools-dev
  xvfb xauth
  desktop-file-utils appstream poppler-utils
  fonts-noto-color-emoji
)
if [ "${ORVEL_BENCH:-0}" = 1 ]; then
  # bench_accessibility: the accessibility bus and its registry on a session bus of its own
  packages+=(libbenchmark-dev dbus-daemon at-spi2-core)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
