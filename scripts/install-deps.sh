#!/usr/bin/env bash
# Installs the Debian packages that building, testing, packaging and running ladder51 need.
# Does nothing when they are all present; otherwise uses apt-get (as root, or via sudo).
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  dpkg-dev file
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  clang-format
  clang libclang-rt-14-dev
  sdcc sdcc-ucsim
  qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n fonts-wqy-microhei xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
