#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then
# the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"
jobs=$(nproc 2>/dev/null || echo 2)

run_suite() {  # build-dir, extra cmake arguments...
    local dir=$1; shift
    cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

run_suite "$top/build"
run_suite "$top/build-sanitize" -DTAVOLU_SANITIZE=ON -DTAVOLU_BENCH=OFF
