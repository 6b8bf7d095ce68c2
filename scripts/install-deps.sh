#!/usr/bin/env bash
# Installs the Debian packages that building and testing Orvane need, and only those that are
# missing, so a second run costs one dpkg query per package.
#   --arm  what the 32-bit ARM cross build (armhf, tested under qemu-arm) needs instead: the
#          cross compiler, qemu-user and the :armhf libraries, through Debian multiarch.
set -euo pipefail

arm=false
if [ "${1:-}" = "--arm" ]; then
  arm=true
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--arm]" >&2
  exit 2
fi

if $arm; then
  packages=(
    make cmake ninja-build pkg-config python3 unifont
    binutils-arm-none-eabi gcc-arm-none-eabi
    g++-arm-linux-gnueabihf qemu-user
    libgtest-dev:armhf libunicorn-dev:armhf libcapstone-dev:armhf libpng-dev:armhf
    libbenchmark-dev:armhf
  )
else
  packages=(
    make g++ cmake ninja-build pkg-config
    libgtest-dev libbenchmark-dev libunicorn-dev libcapstone-dev
    binutils-arm-none-eabi gcc-arm-none-eabi
    libsdl2-dev libxbyak-dev libpng-dev unifont python3
    xvfb xauth xdotool imagemagick
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

install_line="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root=(sudo)
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root with:" >&2
  if $arm; then
    echo "  dpkg --add-architecture armhf && apt-get update && $install_line" >&2
  else
    echo "  apt-get update && $install_line" >&2
  fi
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The :armhf packages come from the armhf architecture, which dpkg must know first.
if $arm && ! dpkg --print-foreign-architectures | grep -qx armhf; then
  "${as_root[@]}" dpkg --add-architecture armhf
fi
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
