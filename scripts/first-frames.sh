#!/usr/bin/env bash
# The first frame that decodes the largest image of each kind within the image bound of 256 MiB,
# of noisy pixels: the time kivo-board-probe reports from kivo_set_screen to the end of the
# kivo_present that draws it as the background, one process per load (nothing cached), under
# the device emulator. Natively (the best of three loads) and, with the armhf build of
# scripts/ci-armhf.sh, under qemu-arm-static (one load each).
#
#   scripts/first-frames.sh [DIR [IMAGE...]]
#       writes the images into DIR (build-first-frames/) and prints, for each (or those named:
#       bmp png jpeg-baseline jpeg-progressive-32 jpeg-grey-32 webp-lossy webp-lossless gif),
#       "<image> <bytes> native <ms> qemu-arm <ms> ratio <r>"; -1 when the image was refused
#   scripts/first-frames.sh --board [DIR [IMAGE...]]
#       instead, on the emulated board of scripts/ci-board.sh (after a run of it: its kernel and
#       packed root, 512 MiB, a bound of 122 MiB), images of 5640/8190 of those sides, in DIR
#       (build-first-frames-board/), read from a disk (QEMU's vvfat of the directory): one load
#       each, "<image> <bytes> board <ms>"
set -euo pipefail
cd "$(dirname "$0")/.."
board=0
[ "${1:-}" != --board ] || { board=1; shift; }
src=$PWD dir=${1:-$src/build-first-frames$([ $board = 0 ] || echo -board)} images=("${@:2}")
side() { echo $(($1 * (board ? 5640 : 8190) / 8190)); }
[ ${#images[@]} -gt 0 ] ||
  images=(bmp png jpeg-baseline jpeg-progressive-32 jpeg-grey-32 webp-lossy webp-lossless gif)
native=$src/build cross=$src/build-armhf root=$src/build-armhf-root/root
mkdir -p "$dir"
cmake --build "$native" -j 2 --target kivo-board-probe kivo-emu kivo-assets > /dev/null

# Raw noise as a binary PPM, then each format. BMP and PNG are written here; ImageMagick encodes
# the rest (a GIF of 216 colours, so that it needs no quantizing).
ppm() { # side, path[, levels]: noise of every byte value, or of 6 levels a channel
  python3 - "$@" << 'EOF'
import os, sys
side, path = int(sys.argv[1]), sys.argv[2]
with open(path, "wb") as f:
    f.write(b"P6 %d %d 255\n" % (side, side))
    for _ in range(side):
        row = os.urandom(3 * side)
        f.write(row if len(sys.argv) < 4 else bytes(51 * (b % 6) for b in row))
EOF
}
[ -s "$dir/bmp" ] || python3 - "$dir/bmp" "$(side 8190)" << 'EOF'
import os, struct, sys
side = int(sys.argv[2]); row = 3 * side + (-3 * side) % 4
with open(sys.argv[1], "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", 54 + row * side, 0, 0, 54))
    f.write(struct.pack("<IiiHHIIiiII", 40, side, side, 1, 24, 0, row * side, 2835, 2835, 0, 0))
    for _ in range(side):
        f.write(os.urandom(3 * side) + bytes(row - 3 * side))
EOF
# The PNG's bytes are noise of 6 bits, so that inflate decodes Huffman codes (random bytes of 8
# bits would be stored blocks, copied), and every row has the Paeth filter, the costliest.
[ -s "$dir/png" ] || python3 - "$dir/png" "$(side 8180)" << 'EOF'
import os, struct, sys, zlib
side = int(sys.argv[2]); six = bytes(b & 63 for b in range(256))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)))
    z = zlib.compressobj(1)
    for y in range(side):
        data = z.compress(b"\4" + os.urandom(4 * side).translate(six))
        if data:
            f.write(chunk(b"IDAT", data))
    f.write(chunk(b"IDAT", z.flush()) + chunk(b"IEND", b""))
EOF
if [ ! -s "$dir/jpeg-baseline" ]; then
  ppm "$(side 8190)" "$dir/noise.ppm"
  convert "$dir/noise.ppm" -quality 90 "jpeg:$dir/jpeg-baseline"
fi
if [ ! -s "$dir/jpeg-progressive-32" ]; then
  ppm "$(side 5170)" "$dir/noise.ppm"
  convert "$dir/noise.ppm" -quality 90 -interlace JPEG "jpeg:$dir/p.jpg"
  # libjpeg's progressive script has 10 scans for colour: the last one repeated up to 32.
  python3 - "$dir/p.jpg" "$dir/jpeg-progressive-32" << 'EOF'
import sys
data = open(sys.argv[1], "rb").read()
last = data.rindex(b"\xff\xda")
body, scans = data[last:-2], data.count(b"\xff\xda")
open(sys.argv[2], "wb").write(data[:-2] + body * (32 - scans) + b"\xff\xd9")
EOF
  rm "$dir/p.jpg"
fi
[ -s "$dir/jpeg-grey-32" ] ||
  tools/board/huge_images.py jpeg-5000-scans "$(side 6670)" 32 "$dir/jpeg-grey-32"
if [ ! -s "$dir/webp-lossless" ]; then
  ppm "$(side 5790)" "$dir/noise.ppm"
  convert "$dir/noise.ppm" -quality 75 -define webp:method=0 "webp:$dir/webp-lossy"
  convert "$dir/noise.ppm" -define webp:lossless=true -define webp:method=0 "webp:$dir/webp-lossless"
fi
[ -s "$dir/gif" ] || { ppm "$(side 4729)" "$dir/noise.ppm" 6 && convert "$dir/noise.ppm" "gif:$dir/gif"; }
rm -f "$dir/noise.ppm"

if [ $board = 1 ]; then
  kernel=$(ls "$src"/build-board-root/root/boot/vmlinuz-*) guest=$src/build-board/guest g=$dir/guest
  moddir=$(ls -d "$src"/build-board-root/root/lib/modules/*)
  disk_modules=(virtio_blk fat vfat nls_cp437 nls_ascii)
  rm -rf "$g" "$dir/disk" && cp -a "$guest" "$g" && rm -rf "$g/board/huge" && mkdir "$dir/disk"
  for m in "${disk_modules[@]}"; do cp "$(find "$moddir" -name "$m.ko")" "$g/lib/modules/"; done
  for image in "${images[@]}"; do ln "$dir/$image" "$dir/disk/"; done
  # The board's init up to its hosts (the drivers, the touch panel), then one load of each image.
  { sed '/^cd \/board$/,$d' "$guest/init"; cat << EOF
for m in ${disk_modules[*]}; do insmod /lib/modules/\$m.ko; done
limit 10 test -e /dev/vda; mkdir /mnt
mount -t vfat -o ro /dev/vda1 /mnt || mount -t vfat -o ro /dev/vda /mnt
say "\$(grep MemTotal /proc/meminfo)"
cd /board
for f in ${images[*]}; do
  say "ff \$f \$(kivo-board-probe backgrounds file:///mnt/\$f 2>&1 | tr '\n' ' ')"
done
poweroff -f
EOF
  } > "$g/init"
  (cd "$g" && find . | cpio -o -H newc --quiet) > "$dir/initrd.cpio"
  timeout -k 5 900 qemu-system-arm -M virt,highmem=off -m 512 -smp 1 -nic none \
    -global virtio-mmio.force-legacy=false -device virtio-gpu-device,xres=800,yres=480 \
    -device qemu-xhci -device usb-wacom-tablet -display none -kernel "$kernel" \
    -initrd "$dir/initrd.cpio" -append "console=tty0 console=ttyAMA0 quiet" \
    -drive "file=fat:$dir/disk,format=raw,if=none,id=disk,readonly=on" \
    -device virtio-blk-device,drive=disk -serial "file:$dir/console.log" -monitor none -no-reboot
  tr -d '\r' < "$dir/console.log" | grep '^board: MemTotal'
  for image in "${images[@]}"; do
    line=$(tr -d '\r' < "$dir/console.log" | grep "^board: ff $image ")
    ms=$(sed -n 's/.*background 1: frame in \([0-9]*\) ms.*/\1/p' <<< "$line")
    [[ "$line" != *IMG_Load* ]] || { echo "$line" >&2; ms=-1; }
    echo "$image $(stat -c %s "$dir/$image") board ${ms:--1}"
  done
  exit
fi

# One load: the first frame's milliseconds; -1 (and what the host said) when the image was refused.
load() { # build, image, [qemu-arm-static -L root]
  local out preload=$1/tools/emulator/libkivo-emu.so
  local run=(env "LD_PRELOAD=$preload")
  [ $# -eq 2 ] || run=("${@:3}" -E "LD_PRELOAD=$preload")
  out=$(cd "$1" && TSLIB_CONFFILE=$src/tools/emulator/ts.conf KIVO_EMU_FB_MODE=800x480 \
    KIVO_EMU_FB_FILE=$dir/fb.raw KIVO_EMU_FB_REFRESH=0 "${run[@]}" tools/board/kivo-board-probe \
    backgrounds "file://$2" 2>&1)
  if grep -q -F "$2" <<< "$out"; then
    grep -F "$2" <<< "$out" >&2
    echo -1
  else
    sed -n 's/^background 1: frame in \([0-9]*\) ms$/\1/p' <<< "$out"
  fi
}
best() { # build, image, loads, [qemu...]
  local i ms best=
  for ((i = 0; i < $3; ++i)); do
    ms=$(load "$1" "$2" "${@:4}")
    [ -n "$best" ] && [ "$ms" -ge "$best" ] || best=$ms
  done
  echo "$best"
}
for image in "${images[@]}"; do
  n=$(best "$native" "$dir/$image" 3)
  line="$image $(stat -c %s "$dir/$image") native $n"
  if [ -x "$cross/tools/board/kivo-board-probe" ]; then
    a=$(best "$cross" "$dir/$image" 1 qemu-arm-static -L "$root")
    line="$line qemu-arm $a ratio $(awk -v a="$a" -v n="$n" 'BEGIN { printf "%.1f", a / n }')"
  fi
  echo "$line"
done
