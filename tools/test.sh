#!/usr/bin/env bash
# Sets up, builds and runs every test in the sanitizer build, then builds the fuzz targets and
# runs each briefly on its seeds (bash tools/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh fuzz
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j "$(nproc)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
bash tools/fuzz.sh 10
