// The pan generator, the per-sample part: detector, trigger decision,
// envelope, sine LFO with its fade-in, and the slewed pan position. Defined
// inline for the block loop; the trigger steps and the LFO restart are in
// pan_generator.cpp.
#pragma once

#include <algorithm>

#include "engine/engine.h"
#include "engine/trigger.h"

namespace tavolu {

namespace pan {
constexpr float kFull = 1.0f;         // top of the pan range, and a full LFO fade-in
constexpr float kCentre = 0.5f;       // pan position
constexpr int8_t kSampleAndHold = 2;  // Start Mode / End Mode
constexpr int8_t kModeNone = 0;
}  // namespace pan

// [audio thread] One step of the envelope: attack toward startTarget (then
// hold), decay toward endTarget, then rest. The phases are tested in this
// order, so when the hold ends at or after the decay end the hold wins.
[[gnu::always_inline]] inline void advanceEnvelopeOf(Engine& e) {
    const int32_t n = e.samplesSinceTrigger;
    float pos = e.envelopePosition;
    if (n <= e.activeHoldEnd) {
        pos = pos + e.attackStep;
        if (e.attackStep >= 0.0f ? pos > e.startTarget : pos < e.startTarget) pos = e.startTarget;
    } else if (n < e.activeDecayEnd) {
        const float target = e.endTarget;
        pos = pos + e.decayStep;
        if (e.decayStep >= 0.0f ? pos > target : pos < target) pos = target;
    } else {
        pos = e.endTarget;
        // With Start=End on, a write of "Start" moves endValue only; the
        // resting position follows it here.
        if (e.startEqualsEnd && e.endMode == pan::kModeNone) pos = e.endValue;
    }
    e.envelopePosition = pos;
}

// [audio thread]
[[gnu::always_inline]] inline float Engine::nextPanPosition(float m) {
    detectTransient(m);

    if ((lfoSin >= 0.0f && lfoPrevSin < 0.0f) || (lfoSin <= 0.0f && lfoPrevSin > 0.0f)) {
        lfoCrossed = true;
    }
    lfoPrevSin = lfoSin;

    if (triggerDue()) {
        fireTrigger(m);
    } else {
        ++samplesSinceTrigger;
    }
    advanceEnvelopeOf(*this);

    // Coupled sine oscillator: the cosine uses the sine just computed, which
    // keeps the amplitude steady without any transcendental call.
    const double phaseStep = lfoPhaseStep;
    lfoSin = static_cast<float>(double{lfoSin} + double{lfoCos} * phaseStep);
    lfoCos = static_cast<float>(double{lfoCos} - double{lfoSin} * phaseStep);

    if (barPending) passHostBarLine();

    // Crossfade from the value held at the last restart, over the attack time.
    lfoBlend = std::min(pan::kFull, lfoBlend + attackIncrement);
    const double held = lfoHeldOutput;
    lfoOutput = static_cast<float>(held + (double{lfoSin} - held) * double{lfoBlend});

    // Fade-in after "LFO Delay". Under Sample&Hold the LFO only supplies the
    // random value and must not move the position itself.
    lfoDelayRamp = std::min(pan::kFull, lfoDelayRamp + lfoDelayStep);
    if (startMode == pan::kSampleAndHold || endMode == pan::kSampleAndHold) lfoDelayRamp = 0.0f;
    const double level = lfoDelayLevel;
    lfoDelayLevel =
        static_cast<float>(level + (double{lfoDelayRamp} - level) * double{delaySmoothing});
    lfoOffset = static_cast<float>(double{lfoOutput} * (double{lfoDelayLevel} * double{lfoDepth}));

    float raw = lfoOffset + envelopePosition;
    if (raw > pan::kFull) raw = pan::kFull;
    if (!(raw >= 0.0f)) raw = raw < 0.0f ? 0.0f : pan::kCentre;  // not a number: centre
    rawPan = raw;

    slewToward(raw, panPosition);
    return panPosition;
}

}  // namespace tavolu
