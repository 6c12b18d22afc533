#!/usr/bin/env bash
# The first thing to run: installs what is missing, builds the plug-in and the
# command-line host (no tests, no benchmarks), prints the plug-in's identity
# and parameters, and renders the built-in drum loop through the "Ping Pong"
# preset into out/demo.wav, with a picture of the panning in out/demo.png and
# one of the plug-in's editor after the render in out/editor.png; then renders
# the same through the LV2 bundle and checks that the two are equal.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
jobs=$(( jobs > 2 ? 2 : jobs ))

"$top/tools/setup-debian.sh" "$top/tools/debian-packages-demo.txt"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVOLU_TOOLS=ON -DTAVOLU_TESTS=OFF -DTAVOLU_BENCH=OFF >/dev/null
cmake --build "$top/build" -j"$jobs" --target tavolu_host tavolu_lv2_render

host="$top/build/tools/host/tavolu-host"
mkdir -p "$top/out"
"$host" --list --program "Ping Pong"
echo
"$host" --program "Ping Pong" -o "$top/out/demo.wav" --plot "$top/out/demo.png" \
    --editor-png "$top/out/editor.png"
echo
"$top/build/tools/lv2host/tavolu-lv2-render" --program "Ping Pong" -o "$top/out/demo-lv2.wav"
if cmp -s "$top/out/demo.wav" "$top/out/demo-lv2.wav"; then
    echo "The LV2 render equals the VST render, sample for sample."
else
    echo "The LV2 render differs from the VST render." >&2
    exit 1
fi
echo
echo "Listen to:    $top/out/demo.wav"
echo "Look at:      $top/out/demo.png    (the input, both outputs and the pan over time)"
echo "              $top/out/editor.png  (the plug-in's editor at the end of the loop)"
