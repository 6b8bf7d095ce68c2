#!/usr/bin/env bash
# Installs the Debian packages that building and testing Orvane need, and only those that are
# missing, so a second run costs one dpkg query per package.
set -euo pipefail

packages=(
  make g++ cmake ninja-build pkg-config
  libgtest-dev libbenchmark-dev libunicorn-dev libcapstone-dev
  binutils-arm-none-eabi gcc-arm-none-eabi
  libsdl2-dev libxbyak-dev libpng-dev unifont python3
  xvfb xauth xdotool imagemagick
)

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
  echo "  apt-get update && $install_line" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
