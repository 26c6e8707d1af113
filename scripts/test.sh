#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite:
#   1. the normal build (build/) and its tests,
#   2. the same tests in an AddressSanitizer + UndefinedBehaviorSanitizer build (build-asan/),
#   3. the 32-bit ARM build and its tests under qemu, the install checks (pkg-config and CMake
#      package) and the Debian packages (the deb stage uses what the armhf stage left).
# KIVO_STAGES="native asan" (a subset of: native asan armhf install deb) runs only those stages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# One code style: a badly formatted file fails here, in seconds, before anything is built.
git ls-files '*.c' '*.cpp' '*.h' | grep -v -E '^fuzz/(corpus|crashes)/' |
  xargs clang-format --dry-run --Werror
echo "== format: clean"

stages=${KIVO_STAGES:-native asan armhf install deb board}
jobs=$(nproc)
failed=()

run_ctest_build() { # dir, cmake options...
  local dir=$1; shift
  # Chained: errexit does not apply inside a stage, which runs as an if condition.
  cmake -S . -B "$dir" "$@" > /dev/null &&
    cmake --build "$dir" -j "$jobs" &&
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
}

stage() { # name, command...
  local name=$1; shift
  case " $stages " in *" $name "*) ;; *) return 0 ;; esac
  echo "== stage: $name"
  local start=$SECONDS
  if "$@"; then
    echo "== stage $name passed in $((SECONDS - start)) s"
  else
    echo "== stage $name FAILED after $((SECONDS - start)) s"
    failed+=("$name")
  fi
}

stage native run_ctest_build build
# LSan is part of ASan; no leak, overflow or undefined behaviour is allowed.
asan_build() {
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest_build build-asan -DKIVO_SANITIZE=ON -DKIVO_BUILD_BENCH=OFF
}
stage asan asan_build
stage armhf scripts/ci-armhf.sh
stage install scripts/ci-install.sh
stage deb scripts/ci-deb.sh
# The armhf library on a real ARM kernel under qemu-system-arm (after armhf: it reuses its builds).
stage board scripts/ci-board.sh

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED stages: ${failed[*]}"
  exit 1
fi
echo "all stages passed: $stages"
