#!/usr/bin/env bash
# Installs what the build, the tests and the game need on Debian 12, as root.
# Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  g++-multilib cmake ninja-build pkg-config file
  zlib1g-dev:i386 libcrypto++-dev:i386 libsdl2-dev:i386 libfreetype-dev:i386
  libpng-dev:i386 libjpeg62-turbo-dev:i386 libbullet-dev:i386
  libgtest-dev:i386 libgmock-dev:i386 libbenchmark-dev:i386
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito
)
# "tools/setup.sh fuzz" adds clang and its libFuzzer runtime for the fuzz preset.
if [ "${1:-}" = fuzz ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
# One status a line: a package installed for both architectures (pkg-config) prints two.
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -qx 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
