#!/usr/bin/env bash
# The long runs, kept out of scripts/test.sh:
#   soak   100,000 frames on the manual clock with the image cache expiring entries all along, in
#          the normal build (build/);
#   board  the demo's tour looped for 20 minutes on the emulated board (scripts/ci-board.sh
#          --soak 1200, after the armhf stage's builds): the demo's resident size and open
#          descriptors, sampled every 10 s on the board, must not grow over the last half; its
#          /proc/<pid>/status figures are printed at the end;
#   board-16  the board with a 16-bit display: its driver's answers and the tour
#          (scripts/ci-board.sh --depth 16, about 100 s);
#   armhf-replay  every kept fuzz input replayed in the 32-bit ARM build under qemu-arm (the test
#          command replays a quarter of each seed corpus there).
#
#   scripts/reliability.sh [soak] [board] [board-16] [armhf-replay]      all four when none is named
set -euo pipefail
cd "$(dirname "$0")/.."
runs=("$@")
[ ${#runs[@]} -gt 0 ] || runs=(soak board board-16 armhf-replay)
scripts/setup.sh
for run in "${runs[@]}"; do
  case $run in
  soak)
    cmake -S . -B build > /dev/null
    cmake --build build -j "$(nproc)" --target reliability_test
    ctest --test-dir build --output-on-failure --timeout 600 -R '^Soak\.'
    ;;
  board) scripts/ci-board.sh --soak 1200 ;;
  board-16) scripts/ci-board.sh --depth 16 ;;
  armhf-replay) KIVO_REPLAY_EVERY=1 KIVO_ARMHF_TESTS='^Replay\.' scripts/ci-armhf.sh ;;
  *) echo "usage: scripts/reliability.sh [soak] [board] [board-16] [armhf-replay]"; exit 2 ;;
  esac
done
