#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60) from the seeds in
# tests/fuzz/corpus. Fails on any crash, sanitizer report, leak, timeout (10 s for one input) or
# use of more than 512 MB. An input that fails is left in the printed folder: keep it under
# tests/fuzz/regressions so that the test suite replays it.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}

CXX=clang++ cmake -S "$root" -B "$build" -DFUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target fuzz_reader fuzz_extract

# AddressSanitizer keeps 256 MB of freed memory aside by default, which alone takes the reader target
# to about 400 MB; a quarter of that still catches uses after free and leaves room below the limit.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}

work=$(mktemp -d)
for target in reader extract; do
    mkdir -p "$work/$target"
    cp "$root"/tests/fuzz/corpus/* "$work/$target/"
    echo "fuzz_$target: ${seconds} s from $(ls "$work/$target" | wc -l) seeds; failing inputs go to $work"
    "$build/tests/fuzz_$target" "$work/$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=512 -artifact_prefix="$work/$target-" -print_final_stats=1 2>"$work/$target.log" ||
        { tail -50 "$work/$target.log"; echo "fuzz_$target failed; inputs in $work"; exit 1; }
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|^Done' "$work/$target.log" || true
    echo "corpus: $(ls "$work/$target" | wc -l) inputs"
done
rm -rf "$work"
echo "fuzz: 2 passed, 0 failed"
