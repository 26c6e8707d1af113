#!/usr/bin/env bash
# Installs what is needed, builds, and runs the charging-station demo (examples/charging_demo)
# without the board, under the device emulator.
#   scripts/demo.sh                      headless: replays tools/simulator/tour.txt and leaves
#                                        snapshots and an animation in out/tour/
#   scripts/demo.sh --window [--scale S] the demo in a desktop window, the mouse as the finger
set -euo pipefail
cd "$(dirname "$0")/.."

window=0
sim_opts=()
while [ $# -gt 0 ]; do
  case $1 in
    --window) window=1 ;;
    --scale) sim_opts+=(--scale "${2:?--scale needs a factor}"); shift ;;
    *) echo "usage: scripts/demo.sh [--window [--scale S]]" >&2; exit 2 ;;
  esac
  shift
done
if [ "$window" = 1 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display for --window (DISPLAY is not set); run scripts/demo.sh without it" >&2
  exit 1
fi

scripts/setup.sh
cmake -S . -B build > /dev/null
# hello_station and the emulator too: README's next section runs them from build/.
cmake --build build -j "$(nproc)" --target charging_demo kivo-sim kivo-assets hello_station kivo-emu

# The library reads its images below app/ in the working directory: run from the build tree. The
# demo paces itself at 30 frames a second; the emulated panel's vertical-blank wait returns at once,
# as the tour was timed.
export KIVO_EMU_FB_REFRESH=0
cd build
if [ "$window" = 1 ]; then
  echo "demo: close the window to end it"
  exec tools/simulator/kivo-sim "${sim_opts[@]}" -- examples/charging_demo
fi

out=../out/tour
rm -rf "$out"
mkdir -p "$out"
tools/simulator/kivo-sim --script ../tools/simulator/tour.txt --out "$out" --webp "$out/tour.webp" \
  -- examples/charging_demo > "$out/host.txt"
echo
echo "demo: the host's screen changes and touches are in out/tour/host.txt:"
grep -E '^(screen|page):' "$out/host.txt" | paste -sd ' ' | sed 's/^/  /'
echo "demo: snapshots:"
for f in "$out"/*.png; do echo "  out/tour/$(basename "$f")"; done
echo "demo: the whole tour as an animation: out/tour/tour.webp"
echo "demo: also built: build/examples/hello_station, the smallest host (README, \"Running without the board\")"
