#!/usr/bin/env bash
# Lets Ardour's VST 2.4 scanner load the plug-in and checks what it read back:
# name, vendor, unique ID and two inputs and outputs. The scanner exits 0 even
# when it rejects a plug-in, so the cache file it writes is what counts.
# Exit 77 (skipped) when the scanner is not installed.
set -euo pipefail
plugin=$1
scanner_dir=/usr/lib/ardour7
scanner=$scanner_dir/ardour-vst-scanner
[ -x "$scanner" ] || { echo "no Ardour VST scanner at $scanner: skipped"; exit 77; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A plug-in built with a sanitizer needs its runtime loaded first. Under it
# the scanner may hang on exit after writing its cache, so the scan is waited
# for only until the cache file is there.
preload=
for runtime in libasan libtsan; do
    if readelf -d "$plugin" | grep -q "$runtime\\.so"; then
        preload=$(gcc -print-file-name=$runtime.so)
    fi
done
HOME=$scratch XDG_CACHE_HOME=$scratch/cache XDG_CONFIG_HOME=$scratch/config \
    LD_LIBRARY_PATH=$scanner_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} \
    LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 TSAN_OPTIONS=report_bugs=0 \
    timeout 120 "$scanner" -f "$plugin" &
scan=$!
cache=
for _ in $(seq 600); do
    cache=$(find "$scratch/cache" -name '*.v2i' 2>/dev/null | head -n 1 || true)
    [ -n "$cache" ] && break
    kill -0 "$scan" 2>/dev/null || break
    sleep 0.2
done
sleep 0.5  # let the scanner finish writing
kill "$scan" 2>/dev/null || true
wait "$scan" 2>/dev/null || true
cache=$(find "$scratch/cache" -name '*.v2i' 2>/dev/null | head -n 1 || true)
[ -n "$cache" ] || { echo "FAIL: the scanner wrote no cache file"; exit 1; }
cat "$cache"
expect() {
    grep -q -- "$1" "$cache" || { echo "FAIL: cache lacks $1"; exit 1; }
}
expect '<VST2Info '
expect 'id="1999862328"'   # 0x77337A38
expect 'name="Tavolu"'
expect 'creator="Grivent"'
expect 'n_inputs="2"'
expect 'n_outputs="2"'
expect 'can_process_replace="1"'
echo "accepted"
