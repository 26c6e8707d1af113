#!/bin/sh
# scripts/bench.sh with a filter still runs the reference every ratio is taken to, memcpy_frame/<size>.
#   filter_test.sh SOURCE_DIR KIVO_BENCH
set -euf
args=$("$1/scripts/bench.sh" --dry-run --no-callgrind --benchmark_filter=charging/)
listed=$("$2" --benchmark_list_tests $args)
for want in charging/800x480 memcpy_frame/800x480 memcpy_frame/1280x800; do
    echo "$listed" | grep -qx "$want" || { echo "no $want in: $listed"; exit 1; }
done
if echo "$listed" | grep -q '^home/'; then
    echo "the filter lets everything through: $listed"
    exit 1
fi
