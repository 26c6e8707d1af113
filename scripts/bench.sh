#!/bin/sh
# The benchmark suite in one command: builds build-bench/, runs bench/ (3 repetitions, medians),
# prints every figure as a ratio to the memcpy of one frame measured in the same run, writes
# out/bench/latest.json (the run before becomes out/bench/previous.json and is compared), and
# counts instructions of the scripted run with callgrind against bench/baseline/.
#
#   scripts/bench.sh                      everything
#   scripts/bench.sh --no-callgrind       the timed suite only
#   scripts/bench.sh --callgrind-only     the instruction counts only
#   scripts/bench.sh --write-baseline     also records the instruction counts as the new baseline
#   scripts/bench.sh --dry-run ...        prints the benchmark binary's arguments and stops
# Other arguments go to the benchmark binary, e.g. --benchmark_filter=frame/: a filter also takes
# in the reference, memcpy_frame/<size>, which every ratio needs.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIVO_BENCH_BUILD:-$root/build-bench}
out=$root/out/bench
timed=1
callgrind=1
write=
dry=
for arg in "$@"; do
    case $arg in
    --no-callgrind) callgrind= ;;
    --dry-run) dry=1 ;;
    --callgrind-only) timed= ;;
    --write-baseline) write=--write-baseline ;;
    esac
done
for arg in "$@"; do
    shift
    case $arg in
    --no-callgrind | --callgrind-only | --write-baseline | --dry-run) ;;
    --benchmark_filter=-*) set -- "$@" "$arg" ;; # a negative filter leaves the reference in
    --benchmark_filter=*) set -- "$@" "--benchmark_filter=(${arg#--benchmark_filter=})|^memcpy_frame/" ;;
    *) set -- "$@" "$arg" ;;
    esac
done
if [ -n "$dry" ]; then
    printf '%s\n' "$@"
    exit 0
fi

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target kivo-bench kivo-bench-script kivo-assets >/dev/null
mkdir -p "$out"
cd "$build"   # the images are found below app/share/ here
export TSLIB_CONFFILE="$root/tools/emulator/ts.conf"

if [ -n "$timed" ]; then
    [ -f "$out/latest.json" ] && mv "$out/latest.json" "$out/previous.json"
    KIVO_BENCH_ALLOC_SITES="$out/alloc_sites.txt" ./bench/kivo-bench \
        --benchmark_repetitions=3 --benchmark_display_aggregates_only=true \
        --benchmark_out="$out/latest.json" --benchmark_out_format=json "$@" >"$out/console.txt"
    python3 "$root/bench/report.py" "$out/latest.json" "$out/previous.json" \
        --exe "$build/bench/kivo-bench" --sites "$out/alloc_sites.txt"
fi

if [ -n "$callgrind" ]; then
    command -v valgrind >/dev/null || { echo "valgrind is not installed (apt-get install valgrind)" >&2; exit 1; }
    rm -rf "$out/callgrind"
    mkdir -p "$out/callgrind"
    echo
    echo "instruction counts (callgrind, scripted run with the manual clock)"
    valgrind --tool=callgrind --compress-strings=no \
        --callgrind-out-file="$out/callgrind/callgrind.out" ./bench/script/kivo-bench-script \
        >"$out/callgrind/script.txt" 2>"$out/callgrind/valgrind.log"
    python3 "$root/bench/callgrind.py" "$out/callgrind" $write
fi
