#!/usr/bin/env bash
# Window mode under Xvfb: a real X click in kivo-sim's window reaches the demo as a Press on the
# Right button, the window shows exactly the emulated framebuffer, and --scale maps the mouse
# back to display pixels. Closing (SIGTERM to kivo-sim) ends the host with its own status 0.
#   window_test.sh KIVO_SIM CHARGING_DEMO      (run from the build directory)
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail
sim=$1 demo=$2

for tool in Xvfb xdotool import convert compare; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done

tmp=$(mktemp -d)
xvfb_pid= sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2> /dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; echo "--- host output"; cat "$tmp/host.out" || true; exit 1; }

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$tmp/display" 2> "$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
export DISPLAY=:$(tr -d '\n' < "$tmp/display")

# Waits until the host has printed a line matching $1 (up to 10 s).
wait_for_line() {
  for _ in $(seq 100); do grep -q -- "$1" "$tmp/host.out" && return 0; sleep 0.1; done
  fail "no line '$1' from the host"
}

# start_sim SCALE: starts kivo-sim in window mode and sets sim_pid and wid.
start_sim() {
  : > "$tmp/host.out"
  "$sim" --scale "$1" --dir "$tmp/sim" -- "$demo" > "$tmp/host.out" &
  sim_pid=$!
  wid=$(timeout 20 xdotool search --sync --name '^kivo-sim$' | head -1) || fail "no kivo-sim window"
  wait_for_line "screen: home"
  sleep 0.5 # a few frames, so that the window shows the home screen
}

stop_sim() {
  kill -TERM "$sim_pid"
  local status=0
  wait "$sim_pid" || status=$?
  sim_pid=
  [ "$status" -eq 0 ] || fail "kivo-sim ended with $status, not the host's 0"
  grep -q '^quit$' "$tmp/host.out" || fail "the host saw no Quit event"
}

# At scale 1: the window is the framebuffer, pixel for pixel; a click on the Right arrow.
start_sim 1
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
[ "$geometry" = 800x480 ] || fail "window is $geometry, not 800x480"
import -window "$wid" "$tmp/window.png"
read -r w h line < "$tmp/sim/fb.raw.mode"
[ "$line" -eq $((w * 4)) ] || fail "unexpected line length $line"
convert -size "${w}x${h}" -depth 8 "bgra:$tmp/sim/fb.raw" -alpha off "$tmp/fb.png"
differing=$(compare -metric AE "$tmp/window.png" "$tmp/fb.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "window and framebuffer differ in $differing pixels"
echo "window matches the framebuffer (${w}x${h})"

xdotool mousemove --window "$wid" 776 240 click 1
wait_for_line "^press button=512 label=0$" # KIVO_BUTTON_RIGHT
wait_for_line "^page: 2$"
echo "click reached the host as a Press on Right; the carousel moved"
stop_sim

# At scale 0.5: a 400x240 window; the same button is at half the coordinates.
start_sim 0.5
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
[ "$geometry" = 400x240 ] || fail "window is $geometry, not 400x240"
xdotool mousemove --window "$wid" 380 20 click 1 # Menu at (760, 40)
wait_for_line "^press button=8 label=0$"
wait_for_line "^screen: menu$"
echo "scaled click reached the host as a Press on Menu"
stop_sim
echo PASS
