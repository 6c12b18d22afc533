#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then
# the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the concurrency tests under ThreadSanitizer.
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

echo
echo "tests: $passed passed, $failed failed"
exit $status
