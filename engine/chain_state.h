// What the per-sample chain carries from one sample to the next: one plain
// record, owned by the audio thread. The block routine copies it whole into
// a local for the length of a block (where it can live in registers) and
// whole back at the end, so a new field is declared here and nowhere else.
//
// The few per-sample values that another thread also writes (the envelope
// position, the sweep's end target, a pending note-on) are Shared fields of
// the engine itself, not of this record.
#pragma once

#include <cstdint>

namespace tavolu {

struct ChainState {
    // --- Slewed output controls ---
    float centerVol = 1.0f;
    float dryWet = 1.0f;
    float stereo = 0.0f;

    // --- Envelope ---
    int32_t activeHoldEnd = 0;
    int32_t activeDecayEnd = 22050;
    int32_t samplesSinceTrigger = 500000;
    bool flipState = false;
    float startTarget = 0.1f;
    float attackStep = 0.0f;
    float decayStep = 0.0f;
    float lfoOffset = 0.5f;
    float rawPan = 0.5f;
    float panPosition = 0.5f;

    // --- LFO ---
    float lfoSin = 0.0f;
    float lfoCos = 1.0f;
    float lfoPrevSin = -1.0f;
    float lfoOutput = 0.0f;
    float lfoHeldOutput = 0.0f;
    float lfoBlend = 1.0f;
    float lfoDelayRamp = 0.0f;
    float lfoDelayLevel = 0.0f;

    // --- Trigger flags ---
    bool lfoCrossed = false;
    bool barPending = false;
    bool gridPending = false;

    // --- Bar and grid counters ---
    double samplesToNextBar = 0.0;       // samples
    double samplesToNextGridLine = 0.0;  // samples

    // --- Transient detector ---
    float detEnvelope = 0.0f;
    uint32_t detSegmentCounter = 0;
    float detSegmentPeak = 0.0f;
    float detReference = 0.0f;
    bool detRising = false;
    float detDisplayLevel = 0.0f;
    float detDisplayStep = 0.0f;
    float detMinimum = 1.0f;
    bool detArmed = true;
    bool detTriggered = false;
    float detRise = 0.0f;

    // --- Editor notification ---
    int32_t updateCounter = 0;
    bool traceRestart = false;
    bool signalPresent = true;
};

}  // namespace tavolu
