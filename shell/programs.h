// The program record and the constant factory tables the bank is filled from.
// The editor's preset buttons read the same tables.
#pragma once

#include <atomic>
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

    // [any thread] One value, whole and without a lock: every parameter write
    // stores into the current program, from the host's automation thread and
    // from the editor's preset buttons on the UI thread, while a program
    // change on either reads a program back.
    float value(int32_t i) const {
        return std::atomic_ref(const_cast<float&>(values[i])).load(std::memory_order_relaxed);
    }
    void storeValue(int32_t i, float v) {
        std::atomic_ref(values[i]).store(v, std::memory_order_relaxed);
    }

    // [UI thread] Fills the record as program k of a new bank: presets for
    // 0..7, the user starting set for 8..15; k out of range leaves it alone.
    void initProgram(int32_t k);
};

static_assert(std::atomic_ref<float>::is_always_lock_free, "program values must never lock");

// Names of the factory presets, zero-terminated, one 32-byte slot each.
extern const char presetNames[kNumPresets][kPresetNameSize];
// Rows 0..7: the factory presets; row 8: the starting values of a user program.
extern const float presetTable[kNumPresets + 1][kNumParameters];

}  // namespace tavolu
