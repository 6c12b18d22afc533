// Who the LV2 plug-in is and how its ports are numbered. The control ports
// carry the parameters' own index, so a port index below 20 is a parameter.
#pragma once

#include <cstdint>

#include "common/parameter_index.h"

namespace tavolu::lv2 {

// The project's own URIs: no domain, nothing to resolve.
inline constexpr const char* kPluginUri = "urn:tavolu:autopan";
inline constexpr const char* kUiUri = "urn:tavolu:autopan#ui";
inline constexpr const char* kPresetUriPrefix = "urn:tavolu:autopan#preset-";

// What the plug-in tells its UI on the notify port: an object of one of two
// types, each with an index and a value.
inline constexpr const char* kReportUri = "urn:tavolu:autopan#Report";        // 22, 23, 25, 36, 37
inline constexpr const char* kParameterUri = "urn:tavolu:autopan#Parameter";  // the value in use
inline constexpr const char* kIndexUri = "urn:tavolu:autopan#index";
inline constexpr const char* kValueUri = "urn:tavolu:autopan#value";

enum Port : uint32_t {
    // 0..19: the parameters, in parameter order.
    kInputLeft = kNumParameters,
    kInputRight,
    kOutputLeft,
    kOutputRight,
    kControl,  // atom input: MIDI, the host's time position, the UI's requests
    kNotify,   // atom output: display reports and parameter values for the UI
    kPortCount,
};

// Port symbols, fixed for good: stored sessions and presets name ports by them.
inline constexpr const char* kParameterSymbols[kNumParameters] = {
    "start_equals_end", "end",      "start",           "attack",    "hold",          "decay",
    "start_mode",       "end_mode", "trig_source",     "threshold", "selectivity",   "lfo_mod",
    "lfo_delay",        "lfo_freq", "lfo_freq_source", "lfo_sync",  "lfo_sync_flip", "center_vol",
    "dry_wet",          "stereo",
};

}  // namespace tavolu::lv2
