#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velmor need. Run as root.
# With --fuzz also the clang toolchain of the fuzz targets.
set -euo pipefail
packages=(cmake g++ make libgtest-dev qt6-base-dev qt6-serialport-dev fonts-dejavu-core)
if [ "${1:-}" = --fuzz ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
