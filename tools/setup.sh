#!/usr/bin/env bash
# Installs what the build, the tests and the game need on Debian 12, as root.
# Safe to run again: packages already present are skipped.
#
# A mirror in the middle of a sync can serve one architecture's index out of step: the update
# is tried a few times and then goes on with the indexes that came. The 32-bit packages offered
# can then be older than the 64-bit ones installed, which apt refuses for packages both
# architectures must share at one version ("held broken packages"); the install is then tried
# again with the release's own versions, each such package aligned at the newest version both
# architectures offer.
set -euo pipefail

release=bookworm
packages=(
  g++-multilib cmake ninja-build pkg-config file
  zlib1g-dev:i386 libcrypto++-dev:i386 libsdl2-dev:i386 libfreetype-dev:i386
  libpng-dev:i386 libjpeg62-turbo-dev:i386 libbullet-dev:i386
  libgtest-dev:i386 libgmock-dev:i386 libbenchmark-dev:i386
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito
  xvfb xauth xdotool x11-utils imagemagick
)

say() { echo "setup: $*" >&2; }

# The versions apt offers for a package ("name" or "name:i386"), newest first. Tests replace it.
offered_versions() {
  apt-cache madison "$1" | awk -F'|' '{ gsub(/ /, "", $2); print $2 }'
}

# The packages an install's resolver could not place, read from apt-get's report of unmet
# dependencies ("libc6-dev:i386 : Depends: linux-libc-dev:i386 but it is not going to be
# installed"), without their architecture, one a line.
unplaceable_packages() {
  sed -n 's/^ *[^ ]* *: *Depends: \([^ ]*\).*/\1/p; s/^ *Depends: \([^ ]*\).*/\1/p' |
    sed 's/:.*//' | sort -u
}

# "name=version name:i386=version" at the newest version both architectures offer; fails with
# a line saying why when they offer none in common.
aligned_pair() {
  local name=$1 native foreign version
  native=$(offered_versions "$name")
  foreign=$(offered_versions "$name:i386")
  version=$(grep -Fxf <(printf '%s\n' "$foreign") <(printf '%s\n' "$native") | head -n 1 || true)
  if [ -z "$version" ]; then
    say "cannot install $name for both architectures: amd64 offers ${native//$'\n'/, }" \
        "and i386 offers ${foreign//$'\n'/, }, no version in common (the mirror may be syncing: try again later)"
    return 1
  fi
  echo "$name=$version $name:i386=$version"
}

update_indexes() {
  local try
  for try in 1 2 3; do
    apt-get update -qq && return 0
    [ "$try" -lt 3 ] && sleep $((try * 5))
  done
  say "some package indexes could not be fetched; going on with the ones that came"
}

install_packages() {
  apt-get install -y -qq --no-install-recommends "$@" && return 0
  say "the install failed; trying again with the release's own versions"
  local report name pair pins=()
  report=$(apt-get install -s -t "$release" --no-install-recommends "$@" 2>&1 || true)
  for name in $(unplaceable_packages <<<"$report"); do
    pair=$(aligned_pair "$name") || return 1
    pins+=($pair)
  done
  apt-get install -y -qq --allow-downgrades -t "$release" --no-install-recommends "$@" "${pins[@]}" && return 0
  say "cannot install ${*}: $(grep -m1 -E '^E:|Depends:' <<<"$report" || echo 'apt gave no reason')"
  return 1
}

# The kernel runs 32-bit x86 programs itself unless it was built or booted without that (some
# virtual machines are); then they run under qemu's user-mode emulation, registered for them
# with binfmt_misc, so that the build's tools and the tests start as they would anywhere.
runs_32bit() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

emulate_32bit() {
  runs_32bit && return 0
  local misc=/proc/sys/fs/binfmt_misc
  if [ "$(id -u)" -ne 0 ]; then
    say "this kernel runs no 32-bit programs; run as root to have them emulated"
    return 1
  fi
  dpkg-query -W -f='${Status}\n' qemu-user-static 2>/dev/null | grep -qx 'install ok installed' ||
    install_packages qemu-user-static
  [ -e "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc"
  [ -e "$misc/qemu-i386" ] ||
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$misc/register"
  if ! runs_32bit; then
    say "this kernel runs no 32-bit programs, not even under qemu-i386"
    return 1
  fi
  say "this kernel runs no 32-bit programs: they run under qemu-i386's emulation, several times slower"
}

main() {
  # "tools/setup.sh fuzz" adds clang and its libFuzzer runtime for the fuzz preset.
  if [ "${1:-}" = fuzz ]; then
    packages+=(clang-14 libclang-rt-14-dev)
  fi

  local missing=() p
  # One status a line: a package installed for both architectures (pkg-config) prints two.
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -qx 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
      say "missing packages (${missing[*]}); run as root to install them"
      return 1
    fi
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    update_indexes
    install_packages "${missing[@]}"
  fi
  emulate_32bit
}

# Sourced by its test for the functions alone.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
