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
step "building the fuzz targets"
cmake --preset ci-fuzz >/dev/null
cmake --build --preset ci-fuzz
step "fuzzing"
bash tools/fuzz.sh 10 build/ci-fuzz build/ci-asan
step "done"
