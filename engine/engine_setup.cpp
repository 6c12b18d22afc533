// The engine operations that keep derived values in step with the parameters,
// and the sample-rate set-up done at resume.
#include <cmath>

#include "common/numeric.h"
#include "common/sample_rate.h"
#include "engine/engine.h"

namespace tavolu {

namespace {
constexpr float kDelaySmoothingSlope = 3.996f;  // 1/s
constexpr float kUpdatePeriod = 0.01f;          // s between periodic updates
constexpr double kDetectorSegmentRate = 80.0;   // detector segments per second
constexpr double kSlewSamplesAt44k = 441.0;     // samples for a full slew, scaled to the rate
constexpr float kLfoRatePerSlew = 0.1f;
}  // namespace

// [any thread]
void Engine::setAttackTime(float t) {
    attackSamples = static_cast<float>(double{engineSampleRate} * t);
    attackEndSample = truncToInt32(attackSamples);
    attackIncrement = static_cast<float>(1.0 / (double{attackSamples} + 1.0));
    delaySmoothing = static_cast<float>(1.0 - double{t} * kDelaySmoothingSlope);
}

// [any thread]
void Engine::setHoldTime(float t) {
    holdSamples = static_cast<float>(double{engineSampleRate} * t);
    holdEndSample = truncToInt32(holdSamples);
}

// [any thread]
void Engine::setDecayTime(float t) {
    decaySamples = static_cast<float>(double{engineSampleRate} * t);
    decayEndSample = truncToInt32(decaySamples);
}

// [any thread]
void Engine::updateDecayIncrement() {
    const float x = static_cast<float>(double{decaySamples} - double{holdSamples} + 1.0);
    decayIncrement = x >= 1.0f ? static_cast<float>(1.0 / x) : 1.0f;
}

// [any thread] Sample&Hold takes the LFO as its random source whenever the LFO
// differs from one trigger to the next, and the input otherwise.
void Engine::updateHoldSource() {
    if (lfoSync == 1) {
        holdSourceIsLfo = false;  // the LFO restarts at every trigger
    } else if (trigSource == 5) {
        holdSourceIsLfo = false;  // triggers fall on the LFO's zero crossings
    } else if (trigSource == 0) {
        holdSourceIsLfo = true;
    } else {
        holdSourceIsLfo = lfoFreqSource <= trigSource;
    }
}

// [UI thread, never while processing] A rate that is not finite or too low to
// hold one detector sample is refused; the previous rate's values stand.
void Engine::resume(float sampleRate) {
    if (supportedSampleRate(sampleRate)) {
        const double r = sampleRate;
        engineSampleRate = sampleRate;
        updateInterval = truncToInt32(r * kUpdatePeriod);
        detectorSegmentLength = truncSaturating<uint32_t>(r / kDetectorSegmentRate);
        detectorSegmentInverse = static_cast<float>(1.0 / detectorSegmentLength);
        slewStep = static_cast<float>(kSlewSamplesAt44k / r);
        lfoRateScale = static_cast<float>(double{slewStep} * kLfoRatePerSlew);
    }
    timeInfoCurrent = false;
    // The transport may have moved anywhere while suspended: the counters no
    // longer count toward the host's lines.
    hostSyncValid = false;
}

// [audio thread] Only a note-on of velocity 64 or more triggers; channel, note
// number and timing within the block play no part.
void Engine::midiMessage(uint8_t status, uint8_t /*data1*/, uint8_t data2) {
    if ((status & 0xF0) == 0x90 && (data2 & 0x7F) >= 64) midiTriggerPending = true;
}

}  // namespace tavolu
