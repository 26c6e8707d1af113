#!/usr/bin/env bash
# The board in CI: Debian's own 32-bit ARM kernel boots under qemu-system-arm with its framebuffer
# driver (virtio-gpu, /dev/fb0 through the DRM driver's fbdev emulation) and its touch drivers (a
# USB tablet, read through evdev by tslib's input module). The armhf library, the C demo and the
# smallest host run on it unmodified, and are driven from the outside over QEMU's machine
# protocol (QMP, tools/board/kivo-board-drive):
#   - the demo plays the simulator's tour (tools/simulator/tour.txt) touched in over QMP at the
#     same display positions. The reference is the same tour in the simulator built for ARM, run
#     under qemu-arm-static on the board's own root file system (the same library, SDL, pixman,
#     Cairo, Pango and fonts). The board's log of screens must be the simulator's; every snapshot
#     where nothing animates must be byte for byte the simulator's frame; every QR code the
#     simulator shows must scan (zbarimg) from the board's screendump with the same text;
#   - a window of a size the driver refuses (larger than its buffer) ends the program with status
#     1 and "ioctl: Invalid argument"; kivo_get_display_mode reports the driver's 800x480;
#     hello_station runs to its end;
#   - faults (tools/board/faults.txt): the USB tablet is pulled out and plugged in again while the
#     demo runs, comes back as /dev/input/event0, and a tap on a button is answered; the demo is
#     killed with SIGKILL mid-slide and started again, and its first screen is byte for byte the
#     simulator's; images whose headers declare far more pixels than the board has memory (from
#     fuzz/crashes/image the animated WebP, the PNG and the BMP of 30000x30000, and a PNG of
#     10000x10000, which a 32-bit process can be given, and a progressive JPEG of 4000x4000 with
#     5000 scans, from tools/board/huge_images.py) given as
#     backgrounds are refused with a warning each, each frame within a second, and the host's
#     peak resident size stays under 64 MiB.
# When the kernel or the armhf packages cannot be fetched, it says so and the board is skipped.
#
#   scripts/ci-board.sh                 everything is left in build-board/ (console.log, sim/, board/)
#   scripts/ci-board.sh --soak SECONDS  instead: the tour without its snapshots, looped on one run
#                                       of the demo for that long (scripts/reliability.sh); its
#                                       resident size and open descriptors, sampled every 10 s on
#                                       the board, must not grow over the last half. Left in
#                                       build-board-soak/ (samples.txt, console.txt)
#   scripts/ci-board.sh --depth 16      instead: a display of 16 bits (Cirrus VGA, the kernel's DRM
#                                       driver at 800x480-16), whose driver refuses 32 bits: what it
#                                       answers, then the tour alone, every still screendump byte
#                                       for byte the simulator's frame of an RGB565 panel and the QR
#                                       code scanned (no faults). Left in build-board-16/; about
#                                       100 s, so kept out of the board stage (scripts/reliability.sh
#                                       board-16)
#
# The snapshots that animate, and are therefore only taken and scanned, not compared: the board's
# frame there depends on how fast it runs.
#   02-slide            the carousel mid-slide, 120 ms after the tap
#   09-charging, 10-charging-later, 11-home-charging
#                       the charge rises every frame and the charging screen's background moves
set -euo pipefail
cd "$(dirname "$0")/.."
soak_s=0 depth=32
case "${1:-}" in
  --soak) [[ "${2:-}" =~ ^[0-9]+$ ]] && soak_s=$2 ;;
  --depth) [ "${2:-}" = 16 ] && depth=16 ;;
  "") true ;;
  *) false ;;
esac || { echo "usage: scripts/ci-board.sh [--soak SECONDS | --depth 16]"; exit 2; }
scripts/setup.sh
source scripts/armhf-lib.sh

src=$PWD
root_dir=$src/build-armhf-root
board_root_dir=$src/build-board-root
host_dir=$src/build-armhf-host
native_dir=$src/build       # the native stage's build: the QMP driver
cross_dir=$src/build-armhf
out=$src/build-board
[ "$soak_s" -eq 0 ] || out=$src/build-board-soak
[ "$depth" = 32 ] || out=$src/build-board-16
start=$SECONDS
boot_limit_s=150      # from QEMU's start to the demo's first screen
run_limit_s=240       # QEMU is killed after this, whatever the guest does
[ "$soak_s" -eq 0 ] || run_limit_s=$((soak_s + 240))
peak_limit_kb=$((64 * 1024)) # the peak resident size of the host given the huge images
width=800 height=480
animated=(02-slide 09-charging 10-charging-later 11-home-charging)

elapsed() { echo "board: $1 after $((SECONDS - start)) s"; }
fail() { echo "board: FAILED: $*"; exit 1; }

reason=""
# A mirror caught mid-sync is not the library's fault: the stage says so and is skipped, as the
# armhf stage runs only its dependency-free tests then.
if ! armhf_root "$root_dir" "${armhf_packages[@]}"; then
  echo "board: SKIPPED: the armhf packages cannot be fetched: $reason"
  exit 0
fi
if ! armhf_root "$board_root_dir" linux-image-armmp busybox-static fonts-wqy-microhei; then
  echo "board: SKIPPED: the armhf kernel package (linux-image-armmp) cannot be fetched: $reason"
  exit 0
fi
kernel_version=$(basename "$(ls -d "$board_root_dir"/root/lib/modules/*-armmp | head -n1)")
elapsed "packages ready (kernel $kernel_version)"

# --- Builds: the QMP driver on the build machine; the library, hosts and simulator for ARM ------
jobs=$(nproc)
armhf_configure "$host_dir" "$cross_dir" "$root_dir/root"
cmake -S . -B "$native_dir" > /dev/null
cmake --build "$native_dir" -j "$jobs" --target kivo-board-drive > /dev/null
cmake --build "$cross_dir" -j "$jobs" --target kivo-gui kivo-emu kivo-sim charging_demo hello_station \
  kivo-board-probe kivo-assets > "$cross_dir/board-build.log" 2>&1 ||
  { tail -n 40 "$cross_dir/board-build.log"; fail "cross build"; }
elapsed "built"
rm -rf "$out" && mkdir -p "$out/sim" "$out/board" "$out/guest"

# --- The guest's root file system, packed as an initramfs ------------------------------------
guest=$out/guest
libdir=$guest/lib/arm-linux-gnueabihf
tslib_modules=$guest/usr/lib/arm-linux-gnueabihf/ts0
mkdir -p "$guest"/{bin,dev,proc,sys,tmp,etc,board,lib/modules} "$libdir" "$tslib_modules"
cp "$board_root_dir/root/bin/busybox" "$guest/bin/"
cp -L "$root_dir/root/lib/ld-linux-armhf.so.3" "$guest/lib/"
cp "$cross_dir/examples/charging_demo" "$cross_dir/examples/hello_station" \
  "$cross_dir/tools/board/kivo-board-probe" "$guest/bin/"
cp -r "$cross_dir/app" "$guest/board/"
mkdir -p "$guest/board/huge"
cp fuzz/crashes/image/{oom-webp-canvas-64x16777008,huge-png-30000x30000,huge-bmp-30000x30000} \
  "$guest/board/huge/"
tools/board/huge_images.py "$guest/board/huge"
cp -L "$root_dir/root/usr/lib/arm-linux-gnueabihf/ts0/"{input,pthres,linear}.so "$tslib_modules/"
cp -rL "$root_dir/pkgs/fontconfig-config/etc/fonts" "$guest/etc/"
mkdir -p "$guest/usr/share/fonts/truetype"
cp -r "$root_dir/pkgs/fonts-dejavu-core/usr/share/fonts/truetype/dejavu" "$guest/usr/share/fonts/truetype/"
# The demo's Chinese texts are drawn with the second font of its font list.
cp -r "$board_root_dir/pkgs/fonts-wqy-microhei/usr/share/fonts/truetype/wqy" "$guest/usr/share/fonts/truetype/"

# Every shared library the programs and tslib's modules need, by their NEEDED entries.
lib_path=("$cross_dir/src" "$root_dir/root/lib/arm-linux-gnueabihf" "$root_dir/root/usr/lib/arm-linux-gnueabihf")
queue=("$guest"/bin/charging_demo "$guest"/bin/hello_station "$guest"/bin/kivo-board-probe "$tslib_modules"/*.so)
declare -A have=()
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}; queue=("${queue[@]:1}")
  for lib in $(arm-linux-gnueabihf-readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [ -z "${have[$lib]:-}" ] || continue
    have[$lib]=1
    found=""
    for d in "${lib_path[@]}"; do
      if [ -e "$d/$lib" ]; then found=$d/$lib; break; fi
    done
    # Some sit in a directory of their own, named by their users' RUNPATH.
    [ -n "$found" ] || found=$(find "${lib_path[@]:1}" -name "$lib" | head -n1)
    [ -n "$found" ] || fail "no $lib for $(basename "$file")"
    cp -L "$found" "$libdir/$lib"
    queue+=("$libdir/$lib")
  done
done

# The kernel modules, each after the modules it depends on (their .modinfo names them).
moddir=$board_root_dir/root/lib/modules/$kernel_version
declare -A module_file=() loaded=()
while IFS= read -r -d '' ko; do
  name=$(basename "$ko" .ko); module_file[${name//-/_}]=$ko
done < <(find "$moddir" -name '*.ko' -print0)
module_order=()
add_module() {
  local name=${1//-/_} dep
  [ -z "${loaded[$name]:-}" ] || return 0
  [ -n "${module_file[$name]:-}" ] || fail "kernel module $1 not found in $kernel_version"
  loaded[$name]=1
  for dep in $(arm-linux-gnueabihf-objcopy -O binary -j .modinfo "${module_file[$name]}" /dev/stdout |
               tr '\0' '\n' | sed -n 's/^depends=//p' | tr ',' ' '); do
    add_module "$dep"
  done
  cp "${module_file[$name]}" "$guest/lib/modules/"
  module_order+=("$(basename "${module_file[$name]}")")
}
display_modules=(virtio_mmio drm drm_kms_helper drm_shmem_helper virtio_dma_buf virtio_gpu cirrus)
touch_modules=(xhci_pci usbhid wacom)
for m in "${display_modules[@]}" "${touch_modules[@]}" evdev; do add_module "$m"; done
evdev_module=$(basename "${module_file[evdev]}")
other_modules=("${module_order[@]/$evdev_module}")

# tslib: the kernel sends no position with a lift-off (the input core drops unchanged axes), and
# the input module alone then reports the release at (0, 0); pthres, as in tslib's own ts.conf,
# keeps the last position. linear maps the tablet's raw axes (QEMU's 0..32767 scaled onto
# 0..5040 and 0..3780) onto the display by its calibration: a0..a6 of
# x = (a2 + a0 x + a1 y) / a6, y = (a5 + a3 x + a4 y) / a6, then the display's size and rotation.
printf 'module_raw input\nmodule pthres pmin=1\nmodule linear\n' > "$guest/etc/ts.conf"
echo "$((width * 65536 / 5040)) 0 0 0 $((height * 65536 / 3780)) 0 65536 $width $height 0" > "$guest/etc/pointercal"

sed -e "s|@MODULES@|${other_modules[*]}|" -e "s|@EVDEV_MODULE@|$evdev_module|" \
  tools/board/init.in > "$guest/init"
chmod +x "$guest/init"
(cd "$guest" && find . | cpio -o -H newc --quiet) > "$out/initrd.cpio"
elapsed "guest root packed ($(du -m "$out/initrd.cpio" | cut -f1) MB)"

# --- The reference: the tour in the simulator built for ARM, on the guest's root ---------------
# Each snapshot is followed by a second one 150 ms later (300 ms in the simulator); where the
# simulator's two are equal, nothing moves there. Both the simulator and the demo run under
# qemu-arm-static: the simulator writes the touch panel's records in the host's own layout (a
# 64-bit simulator's are larger than what a 32-bit host reads). The demo runs on the guest's root
# (-L), with fontconfig kept inside it too: the root alone would leave fontconfig the build
# machine's caches of other font sets, and caches written now stay out of the packed root.
# The simulator's waits and drags take twice as long as the board's, and it gives the demo 5 s
# more before the tour: on a loaded machine the demo under qemu-arm-static took longer than the
# tour's first 1.6 s to its first frame, and can take longer than the tour's pauses to decode a
# page before it slides. A still screen does not depend on when it is reached.
# The demo paces itself: the emulated panel's vertical-blank wait returns at once, as the tour was
# timed. It runs while the board boots.
reference=""
if [ "$soak_s" -eq 0 ]; then
sed -E 's/^[[:space:]]*snapshot[[:space:]]+([^[:space:]#]+).*$/&\nwait 150\nsnapshot \1.later/' \
  tools/simulator/tour.txt > "$out/tour.txt"
awk 'NR == 1 { print "wait 5000" } $1 == "wait" { $2 *= 2 } $1 == "drag" { $6 *= 2 } { print }' \
  "$out/tour.txt" > "$out/sim/tour.txt"
sim_format=()
[ "$depth" = 32 ] || sim_format=(--format rgb565)
(cd "$cross_dir" && KIVO_EMU_FB_REFRESH=0 FONTCONFIG_SYSROOT=$guest exec timeout 120 qemu-arm-static -L "$root_dir/root" \
  tools/simulator/kivo-sim --script "$out/sim/tour.txt" --out "$out/sim" "${sim_format[@]}" -- \
  qemu-arm-static -L "$guest" examples/charging_demo > "$out/sim/host.txt" 2> "$out/sim/sim.log") &
reference=$!
fi

# --- Boot, play the tour, read the console ----------------------------------------------------
# A socket's path must stay short (108 bytes), wherever the tree is.
qmp_dir=$(mktemp -d)
display=(-device virtio-gpu-device,xres=$width,yres=$height) append=""
[ "$soak_s" -eq 0 ] || append=" kivo_soak"
[ "$depth" = 32 ] || display=(-device cirrus-vga,romfile=) append=" video=VGA-1:${width}x$height-16 kivo_depth16"
console=$out/console.log qmp=$qmp_dir/qmp.sock
timeout -k 5 "$run_limit_s" qemu-system-arm -M virt,highmem=off -m 512 -smp 1 -nic none \
  -global virtio-mmio.force-legacy=false "${display[@]}" \
  -device qemu-xhci -device usb-wacom-tablet,id=touch -display none \
  -kernel "$board_root_dir/root/boot/vmlinuz-$kernel_version" -initrd "$out/initrd.cpio" \
  -append "console=tty0 console=ttyAMA0 quiet$append" \
  -serial "file:$console" -qmp "unix:$qmp,server=on,wait=off" -monitor none -no-reboot &
qemu=$!
trap 'kill $qemu $reference 2> /dev/null || true; rm -rf "$qmp_dir"' EXIT

# Polls the console for a line, as long as QEMU runs, up to a limit in seconds.
wait_for() { # pattern, seconds
  local deadline=$((SECONDS + $2))
  until grep -q -E "$1" "$console" 2> /dev/null; do
    kill -0 $qemu 2> /dev/null || return 1
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}
drive() { # script, options...: plays a script on the board, its log in drive.log
  "$native_dir/tools/board/kivo-board-drive" --qmp "$qmp" --out "$out/board" --console "$console" \
    --size ${width}x$height "${@:2}" "$1" 2>> "$out/drive.log" ||
    { cat "$out/drive.log"; tail -n 30 "$console"; fail "$(basename "$1") on the board"; }
}

# Waits for the board to power off, and keeps its console, which must say it is done.
finish() {
  wait $qemu || true
  trap - EXIT
  rm -rf "$qmp_dir"
  tr -d '\r' < "$console" > "$out/console.txt"
  grep -q '^board: done' "$out/console.txt" || { tail -n 30 "$out/console.txt"; fail "the board did not finish"; }
}

if [ "$soak_s" -gt 0 ]; then
  wait_for '^board: soak: demo ready' "$boot_limit_s" ||
    { tail -n 30 "$console"; fail "the demo did not start on the board"; }
  elapsed "board booted, demo ready: the tour loops for $soak_s s"
  # The tour without its snapshots, and back from the help in Chinese to the home screen in
  # English. From the second round on, connector 1 is charging: its tap shows the charging screen.
  { grep -v -E '^[[:space:]]*(snapshot|quit)\b' tools/simulator/tour.txt
    printf '%s\n' 'tap 40 440' 'wait 400' 'tap 400 310' 'wait 400' 'tap 760 40' 'wait 500'
  } > "$out/loop.txt"
  echo power > "$out/end.txt"
  rounds=0 end=$((SECONDS + soak_s))
  while [ $SECONDS -lt $end ]; do drive "$out/loop.txt"; rounds=$((rounds + 1)); done
  drive "$out/end.txt"
  elapsed "$rounds rounds of the tour played"
  finish
  sed -n -E 's/^board: soak: sample ([0-9.]+) s rss ([0-9]+) kB fds ([0-9]+) screens ([0-9]+)$/\1 \2 \3 \4/p' \
    "$out/console.txt" > "$out/samples.txt"
  echo "board: the demo's status at the end:"
  sed -n '/^board: soak: status begins$/,/^board: soak: status ends$/p' "$out/console.txt" |
    grep -E '^(Vm|Rss|Threads|FDSize)' | sed 's/^/board:   /'
  grep '^board: soak: demo status' "$out/console.txt"
  # Settled: the last half of the samples reaches no higher resident size (beyond a tolerance
  # of 1 %) and no more open descriptors than the first half did, and the screens kept changing.
  awk '{ t[NR] = $1; rss[NR] = $2; fds[NR] = $3; screens[NR] = $4 }
    END {
      n = NR; h = int(n / 2)
      for (i = 1; i <= n; ++i) {
        if (i <= h) { if (rss[i] > r1) r1 = rss[i]; if (fds[i] > f1) f1 = fds[i] }
        else { if (rss[i] > r2) r2 = rss[i]; if (fds[i] > f2) f2 = fds[i] }
      }
      printf "board: %d samples over %.0f s; first half: rss up to %d kB, fds up to %d; ", n, t[n] - t[1], r1, f1
      printf "last half: rss up to %d kB, fds up to %d; rss %d kB at the middle, %d kB at the end; ", r2, f2, rss[h + 1], rss[n]
      printf "screens shown %d, %d of them in the last half\n", screens[n], screens[n] - screens[h + 1]
      exit !(n >= 6 && r2 <= r1 * 1.01 && f2 <= f1 && screens[n] > screens[h + 1])
    }' "$out/samples.txt" || fail "the demo's resident size or descriptors grew over the last half ($out/samples.txt)"
  grep -q '^board: soak: demo status 0$' "$out/console.txt" || fail "the demo did not end with status 0"
  echo "board: soak passed"
  exit 0
fi

wait_for '^board: demo (ready|status)' "$boot_limit_s" && grep -q '^board: demo ready' "$console" ||
  { tail -n 30 "$console"; fail "the demo did not start on the board"; }
elapsed "board booted, demo ready"
wait $reference || fail "the simulator's tour (see $out/sim/sim.log)"
rm -rf "$guest/var"
elapsed "the simulator's tour done (armhf, under qemu-arm-static)"
shots=$(sed -n -E 's/^[[:space:]]*snapshot[[:space:]]+([^[:space:]#]+).*$/\1/p' tools/simulator/tour.txt)
pixels() { convert -depth 8 "$@" rgb:- | md5sum; }
animates() { [[ " ${animated[*]} " == *" $1 "* ]]; }
# The still ones are what the board must come to show at those points.
mkdir -p "$out/expect"
for shot in $shots; do
  animates "$shot" || convert "$out/sim/$shot.png" "$out/expect/$shot.ppm"
done
drive "$out/tour.txt" --expect "$out/expect"
elapsed "tour played on the board"
if [ "$depth" = 32 ]; then
  cp "$out/expect/01-home.ppm" "$out/expect/restarted.ppm"
  drive tools/board/faults.txt --expect "$out/expect"
  elapsed "faults played on the board"
fi
finish

# --- Checks ----------------------------------------------------------------------------------
problems=()
check() { # description, command...
  if "${@:2}"; then echo "board: ok: $1"; else problems+=("$1"); echo "board: NOT ok: $1"; fi
}
console_has() { grep -q -x -F "$1" "$out/console.txt"; }
check "touch panel is the tablet" grep -q '^board: touch: Wacom' "$out/console.txt"
check "kivo_get_display_mode reports 800x480" console_has "board: mode 800x480 valid=1"
if [ "$depth" = 32 ]; then
  for size in 1024x600 800x481; do
    check "window $size (refused by the driver) ends with status 1" console_has "board: window $size status 1"
  done
  check "the refused sizes say ioctl: Invalid argument" \
    test "$(grep -c -x -F 'kivo-board-probe: ioctl: Invalid argument' "$out/console.txt")" -eq 2
  # This driver takes a smaller visible size, and keeps it until the next program sets another.
  check "window 640x480 (taken by the driver) is shown" console_has "board: window 640x480 status 0"
  check "the mode is then 640x480" console_has "board: after it: mode 640x480 valid=1"
  check "hello_station ends with status 0" grep -q "^board: hello_station status 0," "$out/console.txt"
else
  # The 16-bit display: its driver refuses another depth, and the library keeps its mode.
  check "the display is 16 bits, RGB565" grep -q '^board: fb 800x480 .* bpp 16 red 11/5 green 5/6 blue 0/5 ' "$out/console.txt"
  check "the driver refuses 32 bits (EINVAL) and keeps 16" \
    console_has "board: fb 32 bits asked at bpp 16: Invalid argument, bpp now 16"
  check "window 800x480 is shown at 16 bits" console_has "board: window 800x480 status 0"
fi
check "demo ends with status 0 on SIGTERM" console_has "board: demo status 0"
check "the console is in text mode before the hosts run" console_has "board: console before the hosts: text"
check "the alert during the tour reached the console" grep -q 'kivo board: an alert during the tour' "$out/console.txt"
check "the console is back in text mode after the demo" console_has "board: console after the demo: text"
screens() { grep -E '^(screen|page):' "$1"; }
sed -n '/^board: host log begins$/,/^board: host log ends$/p' "$out/console.txt" > "$out/board/host.txt"
check "the host's log of screens is the simulator's" \
  diff <(screens "$out/sim/host.txt") <(screens "$out/board/host.txt")

# Where nothing animates, the simulator's two frames of each snapshot are the same (or the tour's
# timing no longer fits the list above), and the board must show those bytes. The driver waited up
# to 20 s for each.
still=0 qr=0
for shot in $shots; do
  sim=$out/sim/$shot.png board=$out/board/$shot.ppm
  check "snapshot $shot taken on the board" test -s "$board" || continue
  if animates "$shot"; then
    echo "board: snapshot $shot animates: not compared"
  else
    still=$((still + 1))
    check "snapshot $shot is still in the simulator" \
      test "$(pixels "$sim")" = "$(pixels "$out/sim/$shot.later.png")"
    differ=$(compare -metric AE "$sim" "$board" null: 2>&1 || true)
    check "snapshot $shot is byte for byte the simulator's frame ($differ pixels differ)" \
      test "$(pixels "$sim")" = "$(pixels "$board")"
  fi
  code=$(zbarimg -q --raw "$sim" 2> /dev/null || true)
  if [ -n "$code" ]; then
    qr=$((qr + 1))
    check "the QR code of $shot scans from the board: $code" \
      test "$(zbarimg -q --raw "$board" 2> /dev/null || true)" = "$code"
  fi
done
check "some snapshots are still and compared ($still)" test "$still" -gt 0
for shot in "${animated[@]}"; do
  check "the animated snapshot $shot is in the tour" \
    grep -q -E "^[[:space:]]*snapshot[[:space:]]+$shot\b" tools/simulator/tour.txt
done
check "a QR code was compared ($qr)" test "$qr" -gt 0

if [ "$depth" = 32 ]; then
  # Faults. Killed mid-slide: the slide back to connector 1 did not end, and the last frame drawn
  # is neither connector's page.
  check "the demo killed with SIGKILL before its second slide ended" \
    console_has "board: kill: demo status 137, slides ended: 1"
  for page in 01-home 03-home-reserved; do
    check "the last frame before the kill is not the page $page" \
      test "$(pixels "$out/board/killed.ppm")" != "$(pixels "$out/sim/$page.png")"
  done
  differ=$(compare -metric AE "$out/sim/01-home.png" "$out/board/restarted.ppm" null: 2>&1 || true)
  check "started again, its first screen is byte for byte the simulator's 01-home ($differ pixels differ)" \
    test "$(pixels "$out/sim/01-home.png")" = "$(pixels "$out/board/restarted.ppm")"
  # The tablet pulled out while the demo runs, plugged in again, and a tap on Menu answered.
  check "the tablet pulled out: /dev/input/event0 went away" console_has "board: replug: tablet gone"
  grep '^board: replug: \(tablet back\|no event0\)' "$out/console.txt" || true
  check "plugged in again, the tablet is /dev/input/event0 again" \
    grep -q '^board: replug: tablet back: event0 is Wacom' "$out/console.txt"
  grep '^board: replug: the demo has opened' "$out/console.txt" || true
  check "the demo opens it again by itself" grep -q '^board: replug: the demo has opened event0 again,' "$out/console.txt"
  check "a tap on Menu after it is answered" console_has "board: replug: the tap on Menu was answered"
  check "the demo started again ends with status 0 on SIGTERM" console_has "board: restart: demo status 0"
  # Huge declared sizes as backgrounds: a warning each, each frame within a second, a small peak.
  sed -n -E '/^(background [0-9]+:|(before|after): Vm|kivo-board-probe: IMG_Load)/s/^/board:   /p' "$out/console.txt"
  check "the host given the huge images ends with status 0" console_has "board: backgrounds status 0"
  huge=(oom-webp-canvas-64x16777008 huge-png-30000x30000 huge-bmp-30000x30000 huge-png-10000x10000 jpeg-5000-scans)
  for name in "${huge[@]}"; do
    check "a warning for $name as a file" grep -q "^kivo-board-probe: IMG_Load(/board/huge/$name): " "$out/console.txt"
  done
  check "a warning for huge-png-30000x30000 as data" grep -q '^kivo-board-probe: IMG_Load_RW: ' "$out/console.txt"
  for n in 1 2 3 4 5 6; do
    ms=$(sed -n "s/^background $n: frame in \([0-9]*\) ms$/\1/p" "$out/console.txt")
    check "the frame with huge background $n within a second (${ms:-no} ms)" test "${ms:-1000}" -lt 1000
  done
  hwm=$(sed -n 's/^after: VmHWM:[[:space:]]*\([0-9]*\) kB$/\1/p' "$out/console.txt")
  check "the host's peak resident size stays under 64 MiB (${hwm:-no} kB)" test "${hwm:-$peak_limit_kb}" -lt "$peak_limit_kb"
fi
elapsed "checked"
[ ${#problems[@]} -eq 0 ] || fail "${problems[*]}"
echo "board: passed"
