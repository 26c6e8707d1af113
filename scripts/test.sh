#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite:
#   1. the normal build (build/) and its tests,
#   2. the same tests in an AddressSanitizer + UndefinedBehaviorSanitizer build (build-asan/),
#   3. the 32-bit ARM build and its tests under qemu, the install checks (pkg-config and CMake
#      package) and the Debian packages (the deb stage uses what the armhf stage left),
#   4. the board: the armhf build on Debian's ARM kernel under qemu-system-arm (scripts/ci-board.sh;
#      it reuses the armhf stage's builds and builds its QMP driver in the native stage's build/).
# Two lanes run side by side, each stage's output in build-test-logs/<stage>.log: native, asan
# and install in one, armhf, deb and board in the other. The long soak run is not part of it
# (scripts/reliability.sh runs it).
# KIVO_STAGES="native asan" (a subset of: native asan armhf install deb board) runs only those.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# One code style: a badly formatted file fails here, in seconds, before anything is built.
git ls-files '*.c' '*.cpp' '*.h' | grep -v -E '^fuzz/(corpus|crashes)/' |
  xargs clang-format --dry-run --Werror
echo "== format: clean"

stages=${KIVO_STAGES:-native asan armhf install deb board}
jobs=$(nproc)
logs=$PWD/build-test-logs
rm -rf "$logs" && mkdir -p "$logs"
# Every compiler call of every stage, the package builds' included, goes through ccache.
# (debhelper gives package builds a HOME of their own: the cache is named outright.)
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
export CCACHE_DIR
# Paths below the clone are hashed relative to it, so another clone of the same sources hits the
# cache too (debug information then names the directory of the first build).
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1

run_ctest_build() { # dir, cmake options...
  local dir=$1
  shift
  # Chained: errexit does not apply inside a stage, which runs as an if condition.
  cmake -S . -B "$dir" "$@" > /dev/null &&
    cmake --build "$dir" -j "$jobs" &&
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 -E '^Soak\.'
}

# Runs a stage if it was asked for; its result goes to $logs/<name>.status as "<status> <seconds>".
stage() { # name, command...
  local name=$1
  shift
  case " $stages " in *" $name "*) ;; *) return 0 ;; esac
  echo "== stage $name started"
  local start=$SECONDS status=0
  "$@" > "$logs/$name.log" 2>&1 || status=$?
  echo "$status $((SECONDS - start))" > "$logs/$name.status"
  if [ "$status" -eq 0 ]; then
    echo "== stage $name passed in $((SECONDS - start)) s"
  else
    echo "== stage $name FAILED after $((SECONDS - start)) s; the end of $logs/$name.log:"
    tail -n 80 "$logs/$name.log"
  fi
}

native_build() { run_ctest_build build; }
# LSan is part of ASan; no leak, overflow or undefined behaviour is allowed. Only the library, its
# tests and the tools they run are built.
asan_build() {
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest_build build-asan -DKIVO_SANITIZE=ON -DKIVO_BUILD_BENCH=OFF
}

total=$SECONDS
(
  stage native native_build
  stage asan asan_build
  stage install scripts/ci-install.sh
) &
lane1=$!
(
  stage armhf scripts/ci-armhf.sh
  stage deb scripts/ci-deb.sh
  # The board builds its QMP driver in the native stage's build/: never beside that stage.
  case " $stages " in *" native "*)
    while [ ! -f "$logs/native.status" ]; do sleep 2; done ;;
  esac
  stage board scripts/ci-board.sh
) &
lane2=$!
wait $lane1 $lane2 || true

failed=()
echo "== stage times (two lanes side by side; $((SECONDS - total)) s in all):"
for name in $stages; do
  if [ ! -f "$logs/$name.status" ]; then
    echo "  $name: did not run"
    failed+=("$name")
    continue
  fi
  read -r status seconds < "$logs/$name.status"
  if [ "$status" -eq 0 ]; then
    echo "  $name: passed in $seconds s"
  else
    echo "  $name: FAILED after $seconds s"
    failed+=("$name")
  fi
done
# Every ctest run's count, in one line.
cat "$logs"/*.log 2> /dev/null | awk '/tests passed, [0-9]+ tests failed out of/ {
    passed += $NF - $4; failed += $4 } END { printf "tests: %d passed, %d failed\n", passed, failed }' || true
scripts/code-ratio.py

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED stages: ${failed[*]}"
  exit 1
fi
echo "all stages passed: $stages"
