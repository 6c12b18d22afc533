// The program record and the constant factory tables the bank is filled from.
// The editor's preset buttons read the same tables.
#pragma once

#include <cstdint>

#include "common/parameter_index.h"

namespace tavolu {

constexpr int kNumPrograms = 16;
constexpr int kNumPresets = 8;
constexpr int kInitialProgram = 8;
constexpr int kProgramNameSize = 24;  // bytes, terminator included
constexpr int kPresetNameSize = 32;   // bytes per slot of presetNames

struct TavoluProgram {
    float values[kNumParameters];
    char name[kProgramNameSize];

    // [UI thread] Fills the record as program k of a new bank: presets for
    // 0..7, the user starting set for 8..15; k out of range leaves it alone.
    void initProgram(int32_t k);
};

// Names of the factory presets, zero-terminated, one 32-byte slot each.
extern const char presetNames[kNumPresets][kPresetNameSize];
// Rows 0..7: the factory presets; row 8: the starting values of a user program.
extern const float presetTable[kNumPresets + 1][kNumParameters];

}  // namespace tavolu
