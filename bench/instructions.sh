#!/usr/bin/env bash
# Instructions per stereo frame, counted by callgrind, for programs 0 to 8 at
# blocks of 16, 64 and 512 frames through the built tavolu.so, and, when
# Debian's dpf-plugins-vst is installed, the PingPongPan auto-panner beside
# them: 5 s of noise bursts at 44.1 kHz through processReplacing, as a host
# calls it. Beside each program: its arithmetic floor (bench/engine/floor.cpp),
# the count at 512 over the floor, and the count at 16 over the count at 512.
#   bench/instructions.sh [BUILD_DIR [PLUGIN]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
driver=$build/bench/plugin/plugin_instructions
floors=$build/bench/engine/engine_floor
plugin=${2:-$build/shell/tavolu.so}
peer=/usr/lib/vst/PingPongPan-vst.so
command -v valgrind >/dev/null || { echo "needs valgrind" >&2; exit 1; }
for tool in "$driver" "$floors"; do
    [ -x "$tool" ] || { echo "build $tool first (cmake --build $build)" >&2; exit 1; }
done
[ -f "$plugin" ] || { echo "no plug-in at $plugin" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
per_frame() {  # plugin program block: sets $count
    local out=$scratch/cg
    local frames
    frames=$(valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$out" \
        "$driver" "$1" "$2" "$3" 2>/dev/null | sed -n 's/^frames //p') || true
    if [ -z "$frames" ]; then
        echo "$1 does not run as a VST 2.4 plug-in under callgrind" >&2
        exit 1
    fi
    count=$(awk -v t="$(sed -n "s/^totals: //p" "$out")" -v f="$frames" \
        'BEGIN { printf "%.0f", t / f }')
}

blocks=(16 64 512)
"$floors" >"$scratch/floors"
header='| instructions per stereo frame | block 16 | block 64 | block 512 | floor | 512 / floor | 16 / 512 |'
rows=("$header" '|---|---|---|---|---|---|---|')
if [ -f "$peer" ]; then
    row="| PingPongPan (dpf-plugins-vst) |"
    for b in "${blocks[@]}"; do
        per_frame "$peer" -1 "$b"
        row+=" $count |"
    done
    rows+=("$row | | |")
fi
for p in 0 1 2 3 4 5 6 7 8; do
    row="| Tavolu program $p |"
    counts=()
    for b in "${blocks[@]}"; do
        per_frame "$plugin" "$p" "$b"
        counts+=("$count")
        row+=" $count |"
    done
    floor=$(sed -n "s/^program $p floor //p" "$scratch/floors")
    row+=" $floor |"
    row+=$(awk -v a="${counts[2]}" -v f="$floor" -v s="${counts[0]}" \
        'BEGIN { printf " %.2f | %.2f |", a / f, s / a }')
    rows+=("$row")
done
printf '%s\n' "${rows[@]}"
