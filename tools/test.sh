#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then
# the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the concurrency tests under ThreadSanitizer, then each fuzzer for a
# bounded time (TAVOLU_FUZZ_SECONDS each, 30 by default) from its seed corpus.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh" "$top/tools/debian-packages-demo.txt" \
    "$top/tools/debian-packages-test.txt"
jobs=$(nproc 2>/dev/null || echo 2)

build() {  # build-dir, extra cmake arguments...
    local dir=$1; shift
    # Explicit: the demo configures the same build folder without tests.
    cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAVOLU_TOOLS=ON -DTAVOLU_TESTS=ON -DTAVOLU_BENCH=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
}

passed=0
failed=0
suite() {  # build-dir, ctest arguments...: runs ctest there and adds up its counts
    local dir=$1; shift
    local log
    log=$(mktemp)
    local status=0
    (cd "$dir" && ctest --output-on-failure -j"$jobs" "$@") 2>&1 | tee "$log" || status=1
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
    rm -f "$log"
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + ${total:-0} - ${bad:-0}))
    failed=$((failed + ${bad:-0}))
    return $status
}

status=0
build "$top/build"
suite "$top/build" || status=1

build "$top/build-asan" -DTAVOLU_SANITIZE=ON -DTAVOLU_BENCH=OFF
suite "$top/build-asan" || status=1

build "$top/build-tsan" -DTAVOLU_TSAN=ON -DTAVOLU_BENCH=OFF
suite "$top/build-tsan" -L concurrency || status=1

# The fuzzers build with clang, apart from the other builds. New inputs go to
# a scratch folder so the committed seeds stay as they are; a crashing input
# is left in build-fuzz/artifacts.
fuzz_seconds=${TAVOLU_FUZZ_SECONDS:-30}
fuzz() {  # fuzzer name, seed folder and dictionary name
    local name=$1 seeds=$top/fuzz/corpus/$2 dict=$top/fuzz/$2.dict
    local scratch
    scratch=$(mktemp -d)
    mkdir -p "$top/build-fuzz/artifacts"
    echo "fuzzing with $name for ${fuzz_seconds}s"
    if "$top/build-fuzz/fuzz/$name" -max_total_time="$fuzz_seconds" -timeout=25 -max_len=4096 \
        -dict="$dict" -artifact_prefix="$top/build-fuzz/artifacts/" -print_final_stats=1 \
        "$scratch" "$seeds" >"$top/build-fuzz/$name.log" 2>&1; then
        grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units)' "$top/build-fuzz/$name.log" || true
        passed=$((passed + 1))
    else
        tail -n 60 "$top/build-fuzz/$name.log"
        failed=$((failed + 1))
        status=1
    fi
    rm -rf "$scratch"
}
cmake -S "$top" -B "$top/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTAVOLU_FUZZ=ON -DTAVOLU_TOOLS=ON -DTAVOLU_TESTS=OFF \
    -DTAVOLU_BENCH=OFF >/dev/null
cmake --build "$top/build-fuzz" -j"$jobs" --target fuzz_host_interface fuzz_cli
fuzz fuzz_host_interface host_interface
fuzz fuzz_cli cli

echo
echo "tests: $passed passed, $failed failed"
exit $status
