#!/usr/bin/env bash
# Sets up, builds and runs every test in the sanitizer build, then builds the fuzz targets and
# runs each briefly on its seeds (bash tools/fuzz.sh). CI runs this on two processors: its builds
# are the ci-asan and ci-fuzz presets, which leave out what only developers use (see
# CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."
step() { echo "test.sh: $1 ($SECONDS s)"; }
bash tools/setup.sh fuzz
step "building the sanitizer build"
cmake --preset ci-asan >/dev/null
cmake --build --preset ci-asan
step "running the tests"
ctest --preset ci-asan -j "$(nproc)"
# The fuzz targets read only the sanitizer build's data files: where the disk is short, its
# programs make room for them.
free_kb=$(df -Pk build | awk 'NR == 2 { print $4 }')
if (( free_kb < 16 * 1024 * 1024 )); then
  step "less than 16 GB free: removing the sanitizer build's programs"
  find build/ci-asan/tests build/ci-asan/tools -type f -executable -delete
fi
step "building the fuzz targets"
cmake --preset ci-fuzz >/dev/null
cmake --build --preset ci-fuzz
step "fuzzing"
bash tools/fuzz.sh 10 build/ci-fuzz build/ci-asan
step "done"
