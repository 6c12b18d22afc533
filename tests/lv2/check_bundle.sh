#!/usr/bin/env bash
# Checks the built bundle as LV2 tools read it: lv2ls lists the plug-in,
# lv2info shows every port with its name, range, scale points and the presets,
# and sord_validate finds no error in it beyond those the LV2 schemas give
# alone. Exit 77 (skipped) when the tools are not installed.
set -euo pipefail
bundle=$1  # …/tavolu.lv2
uri=urn:tavolu:autopan
for tool in lv2ls lv2info sord_validate; do
    command -v $tool >/dev/null || { echo "no $tool (Debian: lilv-utils, sordi): skipped"; exit 77; }
done
export LV2_PATH=$(cd "$(dirname "$bundle")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }

lv2ls | grep -qx "$uri" || fail "lv2ls does not list $uri"
info=$(lv2info "$uri" 2>&1)
[ "$(grep -c '^	Port [0-9]*:' <<<"$info")" = 26 ] || fail "lv2info does not show 26 ports"
for name in "Start=End " "Trig Source " "LFO Freq Source " "Dry-Wet " "Stereo "; do
    grep -q "Name:        $name\$" <<<"$info" || fail "no port named '$name'"
done
[ "$(grep -c 'Minimum:     0.000000' <<<"$info")" = 20 ] || fail "not twenty controls from 0"
[ "$(grep -c 'Maximum:     1.000000' <<<"$info")" = 20 ] || fail "not twenty controls to 1"
[ "$(grep -c 'Scale Points:' <<<"$info")" = 6 ] || fail "not six enumerations"
for point in '0.2 = "Half Note"' '1.0 = "From LFO"' '0.75 = "Quarter Note"' '1.0 = "Host, Bar"' \
             '0.5 = "Flip"' '0.0 = "Mono"'; do
    grep -qF "$point" <<<"$info" || fail "no scale point $point"
done
for preset in "Ping Pong" "Crossover Pans" "Spread from Center" "Attack Decay" "LFO" \
              "Delayed LFO" "Snare to Right" "Random S&H"; do
    grep -qx "	         $preset" <<<"$info" || fail "no preset '$preset'"
done
grep -q 'Has latency:       no' <<<"$info" || fail "a latency port"

# Each binary offers its entry point and nothing else of ours.
exported() { nm -D --defined-only "$1" | awk '$2 ~ /^[TDBVW]$/ {print $3}' | grep -v -E '^(_init|_fini|__)' || true; }
[ "$(exported "$bundle/tavolu_dsp.so")" = lv2_descriptor ] || fail "the plug-in exports more than lv2_descriptor"
[ "$(exported "$bundle/tavolu_ui.so")" = lv2ui_descriptor ] || fail "the UI exports more than lv2ui_descriptor"

# The schemas lv2-dev installs, schemas.lv2 included.
mapfile -t schemas < <(dpkg -L lv2-dev 2>/dev/null | grep -E '^/usr/lib/lv2/.*\.ttl$' | sort)
[ ${#schemas[@]} -gt 0 ] || { echo "no LV2 schemas (Debian: lv2-dev): skipped"; exit 77; }
errors() { sord_validate "$@" 2>&1 | sed -n 's/^Found \([0-9]*\) errors.*/\1/p'; }
alone=$(errors "${schemas[@]}")
together=$(errors "${schemas[@]}" "$bundle"/*.ttl)
[ -n "$together" ] && [ "$together" = "$alone" ] ||
    fail "sord_validate: $together errors with the bundle, $alone without"
echo "bundle ok: 26 ports, 6 enumerations, 8 presets; sord_validate: $together errors, as alone"
