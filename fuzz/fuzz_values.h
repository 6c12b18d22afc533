// Values a hostile host hands over, drawn from the fuzzer's bytes: the edges
// (NaN, infinities, denormals, the largest numbers) more often than chance
// alone would pick them.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "host_interface/vst2.h"

namespace tavolu::fuzz {

float anyFloat(FuzzedDataProvider& in);
double anyDouble(FuzzedDataProvider& in);
// A parameter or program index: mostly inside the table, sometimes far out.
vst2::VstInt32 anyIndex(FuzzedDataProvider& in);
// The dispatcher's pointer-sized value.
vst2::VstIntPtr anyValue(FuzzedDataProvider& in);
// A count such as a time signature's: 4, 0, negative or extreme.
vst2::VstInt32 anyCount(FuzzedDataProvider& in);

// Silence, impulses, noise, NaN, infinities, denormals or huge values.
void fillAudio(FuzzedDataProvider& in, float* samples, int frames);
bool allFinite(const float* samples, int frames);

}  // namespace tavolu::fuzz
