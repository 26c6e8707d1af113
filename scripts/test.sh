#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite.
#   scripts/test.sh            the normal build (build/)
#   KIVO_SANITIZE=1 scripts/test.sh   the ASan + UBSan build (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
if [ "${KIVO_SANITIZE:-0}" = 1 ]; then
  dir=build-asan; opts=(-DKIVO_SANITIZE=ON -DKIVO_BUILD_BENCH=OFF)
else
  dir=build; opts=()
fi
cmake -S . -B "$dir" "${opts[@]}" > /dev/null
cmake --build "$dir" -j "$jobs"
ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300
