#!/usr/bin/env bash
# Sets up, builds and runs every test in the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j "$(nproc)"
