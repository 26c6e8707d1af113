#!/usr/bin/env bash
# Cross-compiles the library, the device emulator and the test suite for 32-bit ARM (armhf) and runs
# the tests under qemu-arm-static.
#
# The armhf packages are unpacked into a private root (build-armhf-root/) with apt's own state
# there, so the machine's package set and architectures stay untouched. When they cannot be had
# (a mirror caught mid-sync, no network), only the tests that need nothing but the cross compiler
# run: the exported record layouts and the base64 decoder.
#
#   scripts/ci-armhf.sh                 everything (KIVO_ARMHF_TESTS=regex: only the matching tests)
#   KIVO_ARMHF_OFFLINE=1 scripts/ci-armhf.sh   the dependency-free tests only
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

src=$PWD
root_dir=$src/build-armhf-root
host_dir=$src/build-armhf-host
cross_dir=$src/build-armhf
jobs=$(nproc)
start=$SECONDS

# dpkg-shlibdeps reads library dependencies from pkgs/<name>/DEBIAN in a cross package build
# (debian/rules).
source scripts/armhf-lib.sh

elapsed() { echo "armhf: $1 after $((SECONDS - start)) s"; }

# Needs only arm-linux-gnueabihf-g++, qemu-arm-static and the GoogleTest sources.
dependency_free_tests() {
  local out=$cross_dir-base qemu=(qemu-arm-static -L /usr/arm-linux-gnueabihf)
  local gtest=/usr/src/googletest/googletest
  rm -rf "$out" && mkdir -p "$out"
  arm-linux-gnueabihf-gcc -std=c99 -pedantic -Wall -Wextra -Werror -Iinclude \
    tests/layout/record_layout.c -o "$out/record_layout_c"
  arm-linux-gnueabihf-g++ -x c++ -std=c++20 -Wall -Wextra -Werror -Iinclude \
    tests/layout/record_layout.c -o "$out/record_layout_cxx"
  arm-linux-gnueabihf-g++ -std=c++20 -O1 -Wall -Wextra -Iinclude -I$gtest/include -I$gtest \
    -pthread src/image/base64.cpp tests/image/base64_test.cpp \
    $gtest/src/gtest-all.cc $gtest/src/gtest_main.cc -o "$out/base64_test"
  local passed=0 failed=0 t
  for t in record_layout_c record_layout_cxx base64_test; do
    if "${qemu[@]}" "$out/$t"; then
      passed=$((passed + 1))
    else
      echo "armhf: $t FAILED"
      failed=$((failed + 1))
    fi
  done
  elapsed "dependency-free tests done"
  echo "armhf: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

reason=""
if [ "${KIVO_ARMHF_OFFLINE:-0}" = 1 ]; then
  reason="KIVO_ARMHF_OFFLINE=1"
elif armhf_root "$root_dir" "${armhf_packages[@]}"; then
  elapsed "armhf root ready"
else
  :
fi
if [ -n "$reason" ]; then
  echo "armhf packages unavailable: $reason; running the dependency-free ARM tests only"
  dependency_free_tests
  exit
fi

armhf_configure "$host_dir" "$cross_dir" "$root_dir/root"
elapsed "cross build configured"
cmake --build "$cross_dir" -j "$jobs" > "$cross_dir/build.log" 2>&1 || { tail -n 60 "$cross_dir/build.log"; exit 1; }
elapsed "cross build done"
arm-linux-gnueabihf-readelf -h "$cross_dir/src/libkivo-gui.so.0" | grep -q "Machine:.*ARM" || { echo "armhf: library is not an ARM binary"; exit 1; }

# The soak run is left to scripts/reliability.sh. Without a binfmt_misc entry for ARM, an ARM
# program started by another program does not run either: the demo test starts the simulator
# through sh, and threadsafe death tests re-execute the test program. (Programs of the build
# machine, such as zbarimg, start as usual.)
skip='^(Soak\..*|demo\..*|Display.DeviceFailuresEndTheProcess|Display.TerminalIsBackInTextModeAfterAFatalEnd|BadInput.UnusableSizesEndTheProcess)$'
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-arm; then
  skip='^Soak\..*$'
else
  echo "armhf: no binfmt_misc entry for ARM programs; not run: $skip"
fi
# Under qemu-arm the replay tests take every fourth input of each seed corpus and every finding
# (Replay.damage alone took 200 s with all of them); scripts/reliability.sh armhf-replay runs them
# all.
export KIVO_REPLAY_EVERY=${KIVO_REPLAY_EVERY:-4}
ctest_args=(--test-dir "$cross_dir" -j "$jobs" --output-on-failure --timeout 600 -E "$skip")
[ -z "${KIVO_ARMHF_TESTS:-}" ] || ctest_args+=(-R "$KIVO_ARMHF_TESTS")
ctest "${ctest_args[@]}"
elapsed "tests under qemu done"
