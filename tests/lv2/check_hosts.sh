#!/usr/bin/env bash
# Real LV2 hosts from Debian load the bundle: jalv runs the plug-in on a JACK
# server with no sound card and takes a control change from its console, and
# Ardour (its Lua session tool) puts it on a track, loads a factory preset and
# saves the session. Exit 77 (skipped) when neither host is installed.
set -euo pipefail
bundle=$1  # …/tavolu.lv2
uri=urn:tavolu:autopan
export LV2_PATH=$(cd "$(dirname "$bundle")" && pwd)
scratch=$(mktemp -d)
jackd_pid=
cleanup() {
    [ -n "$jackd_pid" ] && kill "$jackd_pid" 2>/dev/null && wait "$jackd_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A module built with a sanitizer needs its runtime loaded first.
preload=
for runtime in libasan libtsan; do
    if readelf -d "$bundle/tavolu_dsp.so" | grep -q "$runtime\\.so"; then
        preload=$(gcc -print-file-name=$runtime.so)
    fi
done
export ASAN_OPTIONS=detect_leaks=0 TSAN_OPTIONS=report_bugs=0

ran=0
if command -v jalv >/dev/null && command -v jackd >/dev/null; then
    export JACK_DEFAULT_SERVER=tavolu-check-$$
    jackd --no-realtime -d dummy -r 48000 -p 256 >"$scratch/jackd.log" 2>&1 &
    jackd_pid=$!
    sleep 2
    out=$( (echo "trig_source = 0.4"; sleep 2; echo "controls") |
           LD_PRELOAD=$preload timeout 30 jalv "$uri" 2>&1) || fail "jalv: $out"
    grep -q '^Plugin: *urn:tavolu:autopan' <<<"$out" || fail "jalv did not load the plug-in: $out"
    grep -q '^trig_source = 0.400000' <<<"$out" || fail "jalv did not set a control: $out"
    echo "jalv: runs the plug-in and sets its controls"
    ran=1
fi

# Ardour's Lua tool does not start with a sanitizer runtime preloaded; the
# normal build checks it.
if command -v ardour7-lua >/dev/null && [ -z "$preload" ]; then
    cat >"$scratch/load.lua" <<LUA
local s = create_session ("$scratch/session", "s", 48000)
assert (s)
local tracks = s:new_audio_track (2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                  ARDOUR.TrackMode.Normal, true)
local p = ARDOUR.LuaAPI.new_plugin (s, "$uri", ARDOUR.PluginType.LV2, "")
assert (not p:isnil ())
tracks:front ():add_processor_by_index (p, 0, nil, true)
local plugin = p:to_insert ():plugin (0)
local preset = plugin:preset_by_label ("Ping Pong")
assert (preset and preset.valid and plugin:load_preset (preset))
print ("loaded:", plugin:name (), plugin:parameter_count ())
s:save_state ("", false, false, false, false, false)
close_session ()
LUA
    # Ardour may linger on its way out after saving, so the session file is
    # waited for, not the program.
    HOME=$scratch LD_PRELOAD=$preload timeout 120 ardour7-lua "$scratch/load.lua" \
        >"$scratch/ardour.log" 2>&1 &
    ardour=$!
    for _ in $(seq 1200); do
        grep -qs "unique-id=\"$uri\"" "$scratch/session/s.ardour" && break
        kill -0 $ardour 2>/dev/null || break
        sleep 0.1
    done
    sleep 1
    kill $ardour 2>/dev/null || true
    wait $ardour 2>/dev/null || true
    out=$(cat "$scratch/ardour.log")
    grep -q '^loaded: *Tavolu' <<<"$out" || fail "Ardour did not load the plug-in: $out"
    grep -q "unique-id=\"$uri\"" "$scratch/session/s.ardour" || fail "not in the saved session"
    echo "Ardour: puts the plug-in on a track, loads \"Ping Pong\", saves the session"
    ran=1
fi
[ $ran = 1 ] || { echo "neither jalv nor Ardour installed: skipped"; exit 77; }
