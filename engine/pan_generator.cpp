// The pan generator's rare steps: laying out a new sweep at a trigger,
// restarting the LFO, and a host bar line.
#include <cfloat>
#include <cmath>

#include "common/numeric.h"
#include "engine/engine.h"

namespace tavolu {

namespace {

constexpr int8_t kModeNone = 0;
constexpr int8_t kModeFlip = 1;
constexpr int8_t kModeSampleAndHold = 2;
constexpr int8_t kSyncTrigger = 1;
constexpr int8_t kSyncHostBar = 2;
constexpr double kInputRandomScale = 500000.0;  // input sample to random value
constexpr float kBlendThreshold = 0.1f;         // LFO level worth a crossfade at restart

// A random value in (-2, 2) from the input sample: the fraction of m * 500000.
double inputRandom(float m) {
    const double scaled = double{m} * kInputRandomScale;
    if (!(std::fabs(scaled) <= FLT_MAX)) return 0.0;  // whole anyway at that size
    const float v = static_cast<float>(scaled);
    return 2.0 * fractionOf(v);
}

// Sample&Hold: a value around `value`, up to `depth` either side, from a
// window moved inside 0..1 first.
float sampleAndHold(float value, float depth, double q) {
    const double v = value;
    const double d = depth;
    float target = static_cast<float>(v + d * q);
    if (v - d < 0.0) target = static_cast<float>(double{target} + (d - v));
    if (v + d - 1.0 > 0.0) target = static_cast<float>(double{target} - (v + d - 1.0));
    return target;
}

float chooseTarget(int8_t mode, float value, float previous, bool flipped, float depth, double q) {
    switch (mode) {
        case kModeNone: return value;
        case kModeFlip: return flipped ? 1.0f - value : value;
        case kModeSampleAndHold: return sampleAndHold(value, depth, q);
        default: return previous;
    }
}

}  // namespace

// [audio thread] A trigger: clears every source's flag, chooses the start and
// end of the new sweep and fixes the ramp steps for its whole length.
void Engine::fireTrigger(float m) {
    updateCounter = updateInterval;  // report the new trace at the end of this sample
    gridPending = false;
    lfoCrossed = false;
    midiTriggerPending = false;
    detTriggered = false;
    traceRestart = true;
    lfoDelayRamp = 0.0f;

    flipState = !flipState;
    samplesSinceTrigger = 0;
    activeDecayEnd = decayEndSample;
    activeHoldEnd = holdEndSample;

    const double q = holdSourceIsLfo ? double{lfoSin} : inputRandom(m);
    const float depth = lfoDepth;
    startTarget = chooseTarget(startMode, startValue, startTarget, flipState, depth, q);
    endTarget = chooseTarget(endMode, endValue, endTarget, flipState, depth, q);

    attackStep = (startTarget - envelopePosition) * attackIncrement;
    decayStep = (endTarget - startTarget) * decayIncrement;

    if (lfoSync == kSyncTrigger) resetLfo();
}

// [audio thread] Restarts the LFO in lfoDirection, crossfading from where it
// was when that is far from zero.
void Engine::resetLfo() {
    lfoHeldOutput = lfoOutput;
    if (std::fabs(lfoOutput) > kBlendThreshold) lfoBlend = 0.0f;
    lfoSin = 0.0f;
    lfoCos = lfoDirection;
    lfoPrevSin = 0.0f;  // a restart is not itself a zero crossing
    lfoDelayRamp = 0.0f;
    flipPending = false;
    traceRestart = true;
    if (lfoSyncFlip != 0.0f) lfoDirection = -lfoDirection;
}

// [audio thread] Under "Host, Bar" sync the LFO restarts on the bar, and the
// restart counts as a crossing so that "From LFO" fires there.
void Engine::passHostBarLine() {
    barPending = false;
    if (lfoSync == kSyncHostBar) {
        resetLfo();
        lfoCrossed = true;
    }
}

}  // namespace tavolu
