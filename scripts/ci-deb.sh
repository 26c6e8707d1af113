#!/usr/bin/env bash
# Builds the Debian packages from the committed tree in build-pkg-deb/, checks them with lintian,
# installs them, builds and runs the host example against the installed packages
# (scripts/ci-install.sh --system) and removes them again.
#
#   scripts/ci-deb.sh           amd64 (the build machine's architecture), without the test suite
#   KIVO_DEB_CHECK=1 scripts/ci-deb.sh   also runs the test suite inside the package build
#
# When scripts/ci-armhf.sh has left its armhf package root (build-armhf-root/), the armhf packages
# are cross-built too (build-pkg-deb-armhf/), checked with lintian, and the example, linked
# against the unpacked packages, runs under qemu with the packaged emulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
src=$PWD
out=$src/build-pkg-deb
start=$SECONDS

rm -rf "$out" && mkdir -p "$out/src"
git archive HEAD | tar -xf - -C "$out/src"
[ "${KIVO_DEB_CHECK:-0}" = 1 ] || export DEB_BUILD_OPTIONS="nocheck${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"
export DEB_BUILD_OPTIONS="parallel=$(nproc)${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"
(cd "$out/src" && dpkg-buildpackage -us -uc -b) > "$out/build.log" 2>&1 || { tail -n 60 "$out/build.log"; exit 1; }
echo "deb: packages built after $((SECONDS - start)) s"
ls "$out"/*.deb

# Errors fail the run; warnings are shown.
lintian --fail-on error --suppress-tags no-manual-page "$out"/*.changes

packages=(libkivo-gui0 libkivo-gui-dev kivo-gui-data kivo-gui-tools python3-kivo-gui)
cleanup() { dpkg --purge "${packages[@]/%/-dbgsym}" "${packages[@]}" > /dev/null 2>&1 || true; }
trap cleanup EXIT
cleanup
debs=()
for p in "${packages[@]}"; do debs+=("$out/${p}_"*.deb); done
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${debs[@]}" > "$out/install.log" 2>&1 ||
  { cat "$out/install.log"; exit 1; }
echo "deb: installed $(dpkg-query -W -f='${Package} ${Version}, ' "${packages[@]}")"
scripts/ci-install.sh --system
cleanup
[ -z "$(dpkg-query -W -f='${Status}\n' "${packages[@]}" 2> /dev/null | grep ' installed$')" ] ||
  { echo "deb: the packages did not uninstall"; exit 1; }
echo "deb: amd64 done after $((SECONDS - start)) s"

root_dir=$src/build-armhf-root
if [ ! -f "$root_dir/root.stamp" ]; then
  echo "deb: no armhf package root (scripts/ci-armhf.sh makes it); armhf packages not built"
  exit 0
fi
out=$src/build-pkg-deb-armhf
rm -rf "$out" && mkdir -p "$out/src"
git archive HEAD | tar -xf - -C "$out/src"
(cd "$out/src" && DEB_BUILD_PROFILES=nocheck DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" \
   KIVO_ARMHF_SYSROOT=$root_dir/root KIVO_ARMHF_PACKAGES=$root_dir/pkgs dpkg-buildpackage -aarmhf -d -us -uc -b) \
   > "$out/build.log" 2>&1 || { tail -n 60 "$out/build.log"; exit 1; }
echo "deb: armhf packages built after $((SECONDS - start)) s"
lintian --fail-on error --suppress-tags no-manual-page "$out"/*.changes

root=$root_dir/root unpacked=$out/unpacked
for p in "${packages[@]}"; do dpkg-deb -x "$out/${p}_"*.deb "$unpacked"; done
libdir=$unpacked/usr/lib/arm-linux-gnueabihf
arm-linux-gnueabihf-gcc --sysroot="$root" -Wall -Wextra -Werror -I"$unpacked/usr/include" \
  examples/hello_station.c -L"$libdir" -lkivo-gui \
  -Wl,-rpath-link,"$root/usr/lib/arm-linux-gnueabihf:$root/lib/arm-linux-gnueabihf" -o "$out/hello_station"
fb=$out/hello_station.fb
(cd "$unpacked/usr/share/kivo-gui" &&
   qemu-arm-static -L "$root" -E LD_LIBRARY_PATH="$libdir" -E LD_PRELOAD="$libdir/libkivo-emu.so" \
     -E TSLIB_CONFFILE="$PWD/ts.conf" -E KIVO_EMU_FB_MODE=800x480 -E KIVO_EMU_FB_REFRESH=0 -E KIVO_EMU_FB_FILE="$fb" \
     "$out/hello_station")
if [ "$(stat -c %s "$fb")" -eq $((800 * 480 * 4)) ] && [ -n "$(tr -d '\0' < "$fb" | head -c 1)" ]; then
  echo "deb: armhf hello_station from the packages drew 800x480 under qemu"
else
  echo "deb: armhf hello_station drew nothing"; exit 1
fi
# Its Python twin, from the packaged module, with the armhf python3 of the root (ci-armhf.sh
# unpacks one): the same frame.
if [ -x "$root/usr/bin/python3" ]; then
  (cd "$unpacked/usr/share/kivo-gui" &&
     qemu-arm-static -L "$root" -E LD_LIBRARY_PATH="$libdir" -E LD_PRELOAD="$libdir/libkivo-emu.so" \
       -E TSLIB_CONFFILE="$PWD/ts.conf" -E KIVO_EMU_FB_MODE=800x480 -E KIVO_EMU_FB_REFRESH=0 -E KIVO_EMU_FB_FILE="$fb.py" \
       -E PYTHONPATH="$unpacked/usr/lib/python3/dist-packages" -E PYTHONDONTWRITEBYTECODE=1 \
       "$root/usr/bin/python3" "$src/examples/hello_station.py")
  cmp "$fb" "$fb.py" || { echo "deb: armhf hello_station.py drew another frame"; exit 1; }
  echo "deb: armhf hello_station.py from the packages drew the same frame under qemu"
else
  echo "deb: no python3 in the armhf root; hello_station.py not run on armhf"
fi
echo "deb: done after $((SECONDS - start)) s"
