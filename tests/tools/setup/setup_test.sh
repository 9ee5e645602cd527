#!/usr/bin/env bash
# The set-up script's decisions on recorded apt output: no network, no root, apt replaced.
# usage: setup_test.sh <tools/setup.sh> <folder of recorded outputs>
set -uo pipefail
setup=$1 recorded=$2
# shellcheck source=/dev/null
source "$setup"
set +e
passed=0 failed=0
check() { # name expected actual
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); printf 'FAILED %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"; fi
}

# Versions offered, read from a recorded "apt-cache madison" of both architectures.
madison=$recorded/madison.txt
offered_versions() { awk -F'|' -v n="$1" '{ p=$1; gsub(/ /, "", p) } p == n { gsub(/ /, "", $2); print $2 }' "$madison"; }

# Which packages the resolver could not place, for each form of apt's report.
while IFS='|' read -r name report expected; do
  check "unplaceable: $name" "$expected" "$(printf '%b' "$report" | unplaceable_packages | tr '\n' ' ')"
done <<'TABLE'
version pinned, continued line| libssl-dev:i386 : Depends: libssl3:i386 (= 3.0.17-1) but 3.0.15-1 is to be installed\n                   Depends: zlib1g-dev:i386 but it is not going to be installed\n|libssl3 zlib1g-dev 
nothing unmet|E: Unable to locate package nosuch\n|
TABLE
check "unplaceable: recorded file" "linux-libc-dev " "$(unplaceable_packages <"$recorded/install-simulated.txt" | tr '\n' ' ')"

# Aligned at the newest version both architectures offer; refused with a line when none is common.
check "aligned: common version" "linux-libc-dev=6.1.176-1 linux-libc-dev:i386=6.1.176-1" "$(aligned_pair linux-libc-dev)"
madison=$(mktemp)
printf '%s\n' 'libfoo | 2.0 | x amd64 Packages' 'libfoo | 1.9 | x amd64 Packages' 'libfoo | 1.8 | x amd64 Packages' \
  'libfoo:i386 | 2.1 | x i386 Packages' 'libfoo:i386 | 1.9 | x i386 Packages' 'libfoo:i386 | 1.8 | x i386 Packages' >"$madison"
check "aligned: newest common of several" "libfoo=1.9 libfoo:i386=1.9" "$(aligned_pair libfoo)"
printf '%s\n' 'libfoo | 2.0 | x amd64 Packages' 'libfoo:i386 | 2.1 | x i386 Packages' >"$madison"
why=$(aligned_pair libfoo 2>&1 >/dev/null); status=$?
check "aligned: none common fails" "1" "$status"
check "aligned: none common says why" "setup: cannot install libfoo for both architectures: amd64 offers 2.0 and i386 offers 2.1, no version in common (the mirror may be syncing: try again later)" "$why"
rm -f "$madison"; madison=$recorded/madison.txt

# The whole road with apt replaced: an index that stays unavailable, then an install refused
# until the mismatched package is aligned.
calls=()
sleep() { :; }
apt-get() {
  calls+=("$*")
  case "$*" in
    update*) return 100 ;;
    "install -s"*) cat "$recorded/install-simulated.txt"; return 100 ;;
    *linux-libc-dev:i386=6.1.176-1*) return 0 ;;
    *) return 100 ;;
  esac
}
log=$(mktemp)
update_indexes 2>"$log"; status=$?; said=$(cat "$log"); rm -f "$log"
check "update: goes on after three tries" "0 3" "$status ${#calls[@]}"
check "update: says so" "setup: some package indexes could not be fetched; going on with the ones that came" "$said"
calls=()
install_packages libc6-dev:i386 2>/dev/null; status=$?
check "install: aligned retry succeeds" "0" "$status"
check "install: last call" "install -y -qq --allow-downgrades -t bookworm --no-install-recommends libc6-dev:i386 linux-libc-dev=6.1.176-1 linux-libc-dev:i386=6.1.176-1" "${calls[-1]}"
apt-get() { case "$*" in "install -s"*) echo ' a:i386 : Depends: b:i386 but it is not going to be installed'; esac; return 100; }
offered_versions() { case "$1" in b) echo 2.0 ;; *) echo 1.0 ;; esac; }
said=$(install_packages a:i386 2>&1); status=$?
check "install: unalignable fails" "1" "$status"
check "install: unalignable says which" "setup: cannot install b for both" "$(grep -o 'setup: cannot install b for both' <<<"$said")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
