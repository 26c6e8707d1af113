#!/usr/bin/env bash
# Installs the library into a fresh prefix, builds the README's host example (and a C++ program
# using the exported classes) out of tree against it, once through pkg-config and once through
# find_package(kivo-gui), and runs them under the installed device emulator.
#
#   scripts/ci-install.sh            builds build-pkg-install/ and installs it into a temporary prefix
#   scripts/ci-install.sh --system   checks the copy installed in /usr (the Debian packages) instead
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
jobs=$(nproc)
start=$SECONDS
work=$(mktemp -d /tmp/kivo-install.XXXXXX)
trap 'rm -rf "$work"' EXIT

if [ "${1:-}" = --system ]; then
  prefix=/usr
  pc_path=
  relocated=()
else
  scripts/setup.sh
  build=$src/build-pkg-install
  prefix=$work/prefix
  cmake -S . -B "$build" -DKIVO_BUILD_TESTS=OFF -DKIVO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX=/opt/kivo > /dev/null
  cmake --build "$build" -j "$jobs" > /dev/null
  # A DESTDIR install of the /opt/kivo tree, then moved: nothing may depend on the build tree.
  DESTDIR=$work/stage cmake --install "$build" > /dev/null
  mv "$work/stage/opt/kivo" "$prefix"
  pc_path=$(dirname "$(find "$prefix" -name kivo-gui.pc)")
  # The tree was installed for /opt/kivo: pkg-config takes the prefix from where the file is.
  relocated=(--define-prefix)
fi

passed=0 failed=0
pass() { echo "install: ok   $1"; passed=$((passed + 1)); }
fail() { echo "install: FAIL $1"; failed=$((failed + 1)); }
pkgconf() { PKG_CONFIG_PATH=$pc_path pkg-config "${relocated[@]}" "$@"; }

libdir=$(pkgconf --variable=libdir kivo-gui)
assetdir=$(pkgconf --variable=assetdir kivo-gui)
lib=$(readlink -f "$libdir/libkivo-gui.so")
if readelf -d "$lib" | grep -q 'SONAME.*\[libkivo-gui\.so\.0\]' && [ -e "$libdir/libkivo-gui.so.0" ] &&
   [[ $lib == *.so.0.* ]]; then
  pass "libkivo-gui.so -> $(basename "$lib"), SONAME libkivo-gui.so.0"
else
  fail "library soname and version links in $libdir"
fi
includedir=$(pkgconf --variable=includedir kivo-gui)
emulator=$libdir/libkivo-emu.so
[ -f "$emulator" ] && [ -f "$assetdir/ts.conf" ] && [ -f "$assetdir/app/share/marvo/images/button/rosk/ok.webp" ] &&
  [ -f "$includedir/kivo-emu/kivo_emu.h" ] && [ -x "$prefix/bin/kivo-emu-touch" ] && pass "emulator, kivo-emu-touch, ts.conf, kivo_emu.h and images installed" ||
  fail "emulator, kivo-emu-touch, ts.conf, kivo_emu.h or images missing"

# Built through pkg-config.
mkdir -p "$work/pc"
if cc -Wall -Wextra -Werror examples/hello_station.c $(pkgconf --cflags --libs kivo-gui) -o "$work/pc/hello_station" &&
   c++ -std=c++20 -Wall -Wextra -Werror tests/install/cxx_consumer.cpp $(pkgconf --cflags --libs kivo-gui) \
     -o "$work/pc/cxx_consumer"; then
  pass "built with pkg-config"
else
  fail "built with pkg-config"
fi

# Built through the CMake package.
if cmake -S tests/install/consumer -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
     -DHELLO_SOURCE="$src/examples/hello_station.c" -DCMAKE_C_FLAGS="-Werror" -DCMAKE_CXX_FLAGS="-Werror" > "$work/cmake.log" 2>&1 &&
   cmake --build "$work/cmake" >> "$work/cmake.log" 2>&1 &&
   [ "$(cat "$work/cmake/datadir.txt")" -ef "$assetdir" ]; then
  pass "built with find_package(kivo-gui)"
else
  cat "$work/cmake.log"
  fail "built with find_package(kivo-gui)"
fi

# The Python package, with Debian's python3: it imports from the installed tree, and its
# hello_station (behind a wrapper, so that run below starts it like the C programs) finds the
# library by its soname.
pydir=$prefix/lib/python3/dist-packages
mkdir -p "$work/py"
printf '#!/bin/sh\nPYTHONPATH=%s PYTHONDONTWRITEBYTECODE=1 exec /usr/bin/python3 %s\n' \
  "$pydir" "$src/examples/hello_station.py" > "$work/py/hello_station"
chmod +x "$work/py/hello_station"
if [ "$(PYTHONPATH=$pydir /usr/bin/python3 -c 'import kivo; print(kivo.__file__)')" = "$pydir/kivo/__init__.py" ]; then
  pass "python3 imports kivo from $pydir"
else
  fail "python3 import of kivo from $pydir"
fi

# The package from the source tree in a fresh virtual environment of Debian's python3, offline,
# with Debian's setuptools and wheel (seen through --system-site-packages): kivo must import from
# the environment, py.typed with it, and its hello_station run against the installed library.
mkdir -p "$work/venv-host"
cp -r python "$work/pysrc"
if /usr/bin/python3 -m venv --system-site-packages "$work/venv" &&
   "$work/venv/bin/pip" install --quiet --no-index --no-build-isolation "$work/pysrc" > "$work/pip.log" 2>&1 &&
   [ "$("$work/venv/bin/python" -c 'import kivo, os; print(os.path.dirname(kivo.__file__))')" = \
     "$("$work/venv/bin/python" -c 'import sysconfig; print(sysconfig.get_path("purelib"))')/kivo" ] &&
   [ -f "$("$work/venv/bin/python" -c 'import sysconfig; print(sysconfig.get_path("purelib"))')/kivo/py.typed" ]; then
  pass "pip install --no-build-isolation ./python: a fresh venv imports kivo, py.typed included"
  printf '#!/bin/sh\nPYTHONDONTWRITEBYTECODE=1 exec %s %s\n' "$work/venv/bin/python" \
    "$src/examples/hello_station.py" > "$work/venv-host/hello_station"
  chmod +x "$work/venv-host/hello_station"
else
  cat "$work/pip.log"
  fail "pip install of ./python into a fresh venv"
fi

# Runs one program in the installed data directory under the emulator; a tap on the label in the
# middle of the screen arrives through the emulator's touch FIFO.
run() {
  local dir=$1 name=$2 fb=$work/$1-$2.fb fifo=$work/$1-$2.touch
  rm -f "$fifo" && mkfifo "$fifo"
  "$prefix/bin/kivo-emu-touch" "$fifo" 400 240 200 400 240 0 > /dev/null &
  local writer=$!
  (cd "$assetdir" && LD_LIBRARY_PATH=$libdir TSLIB_CONFFILE=$assetdir/ts.conf KIVO_EMU_FB_MODE=800x480 \
     KIVO_EMU_FB_REFRESH=0 KIVO_EMU_FB_FILE=$fb KIVO_EMU_TOUCH_FIFO=$fifo LD_PRELOAD=$emulator timeout 60 "$work/$dir/$name") > "$work/out" 2>&1
  local status=$?
  kill "$writer" 2> /dev/null || true
  wait "$writer" 2> /dev/null || true
  cat "$work/out"
  return $status
}
for dir in pc cmake py venv-host; do
  [ -x "$work/$dir/hello_station" ] || continue
  if run "$dir" hello_station && [ "$(stat -c %s "$work/$dir-hello_station.fb")" -eq $((800 * 480 * 4)) ] &&
     [ -n "$(tr -d '\0' < "$work/$dir-hello_station.fb" | head -c 1)" ] && grep -Eq 'label( 1|=1\))$' "$work/out"; then
    pass "$dir: hello_station drew 800x480 and reported the tap on label 1"
  else
    fail "$dir: hello_station under the emulator"
  fi
  [ "$dir" = pc ] || [ "$dir" = cmake ] || continue
  if run "$dir" cxx_consumer; then pass "$dir: C++ classes"; else fail "$dir: C++ classes"; fi
done

echo "install: checks done after $((SECONDS - start)) s"
echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -eq 12 ]
