// Trigger detection, the per-sample part: the transient detector and the
// decision whether a sweep starts on this sample. Inline for the block loop;
// the detector's rarer steps (the end of a rise, the end of a segment) are in
// trigger.cpp.
#pragma once

#include <cmath>

#include "engine/engine.h"
#include "engine/voice.h"

namespace tavolu {

// Whether the detector's step on a sample of level `a` has one of its rare
// parts (the end of a rise or of a segment), which call out to the engine.
[[gnu::always_inline]] inline bool detectorCallsOut(const Voice& v, const Settings& s, float a) {
    return !(v.detEnvelope <= a) && (v.detRising || !(v.detSegmentCounter < s.segmentLength));
}

// [audio thread] Follows a peak-hold envelope of the mono signal, released one
// segment (1/80 s) at a time, and marks an onset when the envelope rises by
// more than "Selectivity" (as a fraction of the envelope) above the lowest
// level seen since the detector was last armed. Without kCalls the rare parts
// are left out: the caller has made sure (detectorCallsOut) that they are not
// due.
template <bool kCalls = true>
[[gnu::always_inline]] inline void detectTransient(Voice& v, const Settings& s, Engine& e,
                                                   float m) {
    const float a = std::fabs(m);
    if (v.detEnvelope <= a) {
        // A "peak" equal to the envelope (as in digital silence) moves
        // nothing the onset test depends on.
        if (v.detEnvelope != a) v.onsetSettled = false;
        v.detSegmentCounter = 0;
        v.detEnvelope = a;
        v.detDisplayLevel = a;
        v.detDisplayStep = 0.0f;
        v.detRising = true;
    } else {
        if constexpr (kCalls) {
            if (v.detRising) {
                v.store(e);
                e.endDetectorRise();
                v.load(e);
            }
        }
        if (!kCalls || v.detSegmentCounter < s.segmentLength) [[likely]] {
            v.detDisplayLevel = v.detDisplayLevel - v.detDisplayStep;
            ++v.detSegmentCounter;
            if (a > v.detSegmentPeak) v.detSegmentPeak = a;
        } else {
            v.store(e);
            e.endDetectorSegment();
            v.load(e);
            v.onsetSettled = false;
        }
    }

    // Onset test. While disarmed the minimum follows the envelope, so a
    // negative rise means the envelope has just fallen: time to re-arm. The
    // test depends only on the envelope, the minimum, the armed state and
    // "Selectivity"; once it has run without changing anything it would not
    // change anything again until the envelope moves.
    if (v.onsetSettled) return;
    const float envelope = v.detEnvelope;
    const float minimum = v.detMinimum;
    const bool armed = v.detArmed;
    const float d = envelope - minimum;
    if (!armed || envelope < minimum) v.detMinimum = envelope;
    const double g = envelope == 0.0f ? 0.0 : double{d} / double{envelope};
    if (v.detArmed && g > s.selectivity) {
        v.pending |= kOnsetPending;
        v.detArmed = false;
        v.detDisplayLevel = 0.0f;
    }
    if (!v.detArmed && g < 0.0) v.detArmed = true;
    v.onsetSettled = v.detMinimum == minimum && v.detArmed == armed;
}

// [audio thread] The sources in their order of precedence. A source's flag
// stays set until some trigger fires, so a flag raised while its source was
// not selected fires as soon as it is.
[[gnu::always_inline]] inline bool triggerDue(const Voice& v, const Settings& s) {
    // No source has side effects, so the order of the tests is free: the
    // flags whose source is selected first, all at once.
    const uint8_t due = v.pending & s.sources;
    if (due == 0) [[likely]]
        return false;
    if (due & (kLfoCrossed | kGridPending | kMidiPending)) return true;
    return !v.detArmed && s.threshold <= v.detEnvelope;
}

// [audio thread] One sample through the detector, on the engine's fields.
inline void Engine::detectTransient(float m) {
    const Settings s(*this);
    Voice v(*this, s);
    tavolu::detectTransient(v, s, *this, m);
    v.store(*this);
}

// [audio thread]
inline bool Engine::triggerDue() const {
    const Settings s(*this);
    return tavolu::triggerDue(Voice(*this, s), s);
}

}  // namespace tavolu
