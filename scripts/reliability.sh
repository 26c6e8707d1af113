#!/usr/bin/env bash
# The long soak run, kept out of scripts/test.sh: 100,000 frames on the manual clock with the image
# cache expiring entries all along, in the normal build (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build > /dev/null
cmake --build build -j "$(nproc)" --target reliability_test
ctest --test-dir build --output-on-failure --timeout 600 -R '^Soak\.'
