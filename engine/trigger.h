// Trigger detection, the per-sample part: the transient detector and the
// decision whether a sweep starts on this sample. Defined inline because the
// block loop runs both on every sample; the detector's rarer steps (the end of
// a rise, the end of a segment) are in trigger.cpp.
#pragma once

#include <cmath>

#include "engine/engine.h"

namespace tavolu {

// [audio thread] Follows a peak-hold envelope of the mono signal, released one
// segment (1/80 s) at a time, and marks an onset when the envelope rises by
// more than "Selectivity" (as a fraction of the envelope) above the lowest
// level seen since the detector was last armed.
[[gnu::always_inline]] inline void Engine::detectTransient(float m) {
    const float a = std::fabs(m);
    if (detEnvelope <= a) {
        detSegmentCounter = 0;
        detEnvelope = a;
        detDisplayLevel = a;
        detDisplayStep = 0.0f;
        detRising = true;
    } else {
        if (detRising) endDetectorRise();
        if (detSegmentCounter < detectorSegmentLength) {
            detDisplayLevel = detDisplayLevel - detDisplayStep;
            ++detSegmentCounter;
            if (a > detSegmentPeak) detSegmentPeak = a;
        } else {
            endDetectorSegment();
        }
    }

    // Onset test. While disarmed the minimum follows the envelope, so a
    // negative rise means the envelope has just fallen: time to re-arm.
    const float d = detEnvelope - detMinimum;
    if (!detArmed || detEnvelope < detMinimum) detMinimum = detEnvelope;
    const double g = detEnvelope == 0.0f ? 0.0 : double{d} / double{detEnvelope};
    if (detArmed && g > double{selectivity}) {
        detTriggered = true;
        detArmed = false;
        detDisplayLevel = 0.0f;
    }
    if (!detArmed && g < 0.0) detArmed = true;
}

// [audio thread] The sources in their order of precedence. A source's flag
// stays set until some trigger fires, so a flag raised while its source was
// not selected fires as soon as it is.
[[gnu::always_inline]] inline bool Engine::triggerDue() const {
    if (lfoCrossed && lfoTriggerEnabled) return true;
    if (gridPending && gridTriggerEnabled) return true;
    if (detTriggered && !detArmed && threshold <= detEnvelope && audioTriggerEnabled) return true;
    return midiTriggerPending;
}

}  // namespace tavolu
