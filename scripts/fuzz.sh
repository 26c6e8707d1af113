#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer, libFuzzer
# coverage on the library) in build-fuzz/ and runs each for a while.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     run each target SECONDS (default 600), two at a time
#   scripts/fuzz.sh merge [TARGET...]         fold the run's corpus, minimised, into fuzz/corpus/
#
# Targets: base64 image screen touch damage format arc (default: all). Each run starts from
# fuzz/corpus/<target>/ and fuzz/crashes/<target>/ and grows build-fuzz/corpus/<target>/; a finding is written to
# build-fuzz/findings/<target>/ (copy it into fuzz/crashes/<target>/ once fixed, so that the
# reliability tests replay it). FUZZ_JOBS=1 runs one target at a time. Logs, with libFuzzer's
# final statistics (executions, cov, ft), are in build-fuzz/logs/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz

mode=run
seconds=600
if [ "${1:-}" = merge ]; then mode=merge; shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then seconds=$1; shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(base64 image screen touch damage format arc)

scripts/setup.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DKIVO_FUZZ=ON -DKIVO_SANITIZE=ON \
  -DKIVO_BUILD_TESTS=OFF -DKIVO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j "${FUZZ_BUILD_JOBS:-2}" --target kivo-assets $(printf 'fuzz_%s ' "${targets[@]}")

export TSLIB_CONFFILE=$root/tools/emulator/ts.conf
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/fuzz/lsan.supp
mkdir -p "$build/logs"

max_len() {
  case $1 in image) echo 65536 ;; *) echo 4096 ;; esac
}

run_one() { # target
  local t=$1
  local asan=$ASAN_OPTIONS leaks=1 limits=(-timeout=20)
  if [ "$t" = image ]; then
    # No image may need more than the image bound nor take seconds: a request of more than the
    # bound (the target sets it to 16 MiB, so that images just within it are decoded in time), or
    # an input running over 2 s, is a finding.
    limits=(-malloc_limit_mb=16 -timeout=2)
  else
    # As on a small board, allocations above 256 MiB fail, and the failure roads are fuzzed too.
    asan=$asan:max_allocation_size_mb=256:allocator_may_return_null=1
  fi
  mkdir -p "$build/corpus/$t" "$build/findings/$t" "$root/fuzz/corpus/$t" "$root/fuzz/crashes/$t"
  # The targets draw with the image tree below the build directory; warnings (stderr) are dropped.
  (cd "$build" && ASAN_OPTIONS=$asan "./fuzz/fuzz_$t" -max_total_time="$seconds" "${limits[@]}" -rss_limit_mb=3072 \
      -max_len="$(max_len "$t")" -close_fd_mask=2 -print_final_stats=1 -detect_leaks=$leaks \
      -artifact_prefix="$build/findings/$t/" \
      "$build/corpus/$t" "$root/fuzz/corpus/$t" "$root/fuzz/crashes/$t") \
    > "$build/logs/$t.log" 2>&1 || echo "fuzz_$t stopped with a finding: see $build/logs/$t.log"
  echo "== $t: $(grep -aE '^(Done|#[0-9]+ +DONE|INFO: fuzzed for)' "$build/logs/$t.log" | tr '\n' ' ')" \
    "$(grep -aE '^#[0-9]+: cov' "$build/logs/$t.log" | tail -1)" \
    "findings: $(ls "$build/findings/$t" | wc -l)"
}

if [ "$mode" = merge ]; then
  for t in "${targets[@]}"; do
    rm -rf "$build/merged/$t"
    mkdir -p "$build/merged/$t"
    # Inputs that allocate more than 256 MiB or take more than 5 s stop the merge and are left
    # out, so that the replay in tests/reliability stays light with any allocator.
    (cd "$build" && "./fuzz/fuzz_$t" -merge=1 -detect_leaks=0 -close_fd_mask=2 -malloc_limit_mb=256 \
        -rss_limit_mb=1024 -timeout=5 -max_len="$(max_len "$t")" \
        "$build/merged/$t" "$root/fuzz/corpus/$t" "$build/corpus/$t") > "$build/logs/$t.merge.log" 2>&1
    # Only inputs whose bytes are not in the repository's corpus yet; the named seeds stay.
    known=$(sha1sum "$root/fuzz/corpus/$t"/* | cut -d' ' -f1)
    for f in "$build/merged/$t"/*; do
      grep -q "$(sha1sum < "$f" | cut -d' ' -f1)" <<< "$known" || cp "$f" "$root/fuzz/corpus/$t/"
    done
    echo "== $t: $(ls "$root/fuzz/corpus/$t" | wc -l) inputs in fuzz/corpus/$t"
  done
  exit 0
fi

parallel=${FUZZ_JOBS:-2}
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  run_one "$t" &
done
wait
