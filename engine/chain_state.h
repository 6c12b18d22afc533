// What the engine carries from one sample to the next: plain records, owned
// by the audio thread, in two parts. SampleState is what the per-sample
// chain touches on every sample; the block routine copies it whole into a
// local for a stretch of frames (where it can live in registers) and whole
// back. EventState is what only the rare steps (a trigger, a bar line, the
// detector's segment end), the block routine and the pan law touch, and stays
// in the engine. A new field is declared in one of them and nowhere else.
//
// The few per-sample values that another thread also writes (the envelope
// position, the sweep's end target, a pending note-on) are Shared fields of
// the engine itself.
#pragma once

#include <cstdint>
#include <limits>

namespace tavolu {

struct SampleState {
    // --- Envelope ---
    int32_t activeHoldEnd = 0;
    int32_t activeDecayEnd = 22050;
    int32_t samplesSinceTrigger = 500000;
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

    // --- Transient detector ---
    float detEnvelope = 0.0f;
    uint32_t detSegmentCounter = 0;
    float detSegmentPeak = 0.0f;
    float detDisplayLevel = 0.0f;
    float detDisplayStep = 0.0f;
    float detMinimum = 1.0f;
    bool detRising = false;
    bool detArmed = true;
};

struct EventState {
    // --- Slewed output controls ---
    float centerVol = 1.0f;
    float dryWet = 1.0f;
    float stereo = 0.0f;

    // --- Trigger flags ---
    bool lfoCrossed = false;
    bool barPending = false;
    bool gridPending = false;
    bool detTriggered = false;
    bool flipState = false;

    // --- Pan law: the channel gains last made, and the pan position and
    // output controls they were made from (not a number: none made) ---
    double gainLeft = 1.0;
    double gainRight = 1.0;
    float gainPan = std::numeric_limits<float>::quiet_NaN();
    float gainCenterVol = std::numeric_limits<float>::quiet_NaN();
    float gainDryWet = std::numeric_limits<float>::quiet_NaN();

    // --- Bar and grid counters ---
    double samplesToNextBar = 0.0;       // samples
    double samplesToNextGridLine = 0.0;  // samples

    // --- Transient detector: the rise last measured ---
    float detReference = 0.0f;
    float detRise = 0.0f;

    // --- Editor notification ---
    int32_t updateCounter = 0;
    bool traceRestart = false;
    bool signalPresent = true;
};

struct ChainState : SampleState, EventState {};

}  // namespace tavolu
