#!/usr/bin/env bash
# Sets up, builds and runs every test in the sanitizer build, then builds the fuzz targets and
# runs each briefly on its seeds (bash tools/fuzz.sh). CI runs this on two processors: its builds
# are the ci-asan and ci-fuzz presets, which leave out what only developers use (see
# CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."
step() { echo "test.sh: $1 ($SECONDS s)"; }
bash tools/setup.sh fuzz
# Where 32-bit programs run emulated (tools/setup.sh said so) the builds leave out the address
# sanitizer, which cannot run there, and the tests get longer time limits.
options=(-DVESTAMOR_SANITIZE_ADDRESS=ON -DVESTAMOR_TEST_TIME_SCALE=1)
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  options=(-DVESTAMOR_SANITIZE_ADDRESS=OFF -DVESTAMOR_TEST_TIME_SCALE=4)
  echo "test.sh: 32-bit programs run emulated: the builds check undefined behaviour alone"
fi
step "building the sanitizer build"
cmake --preset ci-asan "${options[@]}" >/dev/null
cmake --build --preset ci-asan
step "running the tests"
ctest --preset ci-asan -j "$(nproc)"
step "building the fuzz targets"
cmake --preset ci-fuzz "${options[@]}" >/dev/null
cmake --build --preset ci-fuzz
step "fuzzing"
bash tools/fuzz.sh 5 build/ci-fuzz build/ci-asan
step "done"
