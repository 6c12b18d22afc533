// The pan generator, the per-sample part: detector, trigger decision,
// envelope, sine LFO with its fade-in, and the slewed pan position. Inline for
// the block loop; the trigger steps and the LFO restart are in
// pan_generator.cpp.
#pragma once

#include <algorithm>
#include <cmath>

#include "engine/engine.h"
#include "engine/trigger.h"
#include "engine/voice.h"

namespace tavolu {

namespace pan {
constexpr float kFull = 1.0f;    // top of the pan range, and a full LFO fade-in
constexpr float kCentre = 0.5f;  // pan position
}  // namespace pan

// Where the envelope stands on a sample: its phase follows from the count of
// samples since the trigger alone.
enum class Phase : uint8_t {
    kAny,     // not known beforehand: decided on the sample
    kAttack,  // toward startTarget, then holding there
    kDecay,   // toward endTarget
    kRest,
};

// The phase of the next sample and how many samples it lasts (at most
// `limit`).
[[gnu::always_inline]] inline Phase nextPhase(const SampleState& v, int32_t limit,
                                              int32_t& length) {
    const int64_t n = int64_t{v.samplesSinceTrigger} + 1;
    int64_t left = limit;
    Phase phase = Phase::kRest;
    if (n <= v.activeHoldEnd) {
        phase = Phase::kAttack;
        left = int64_t{v.activeHoldEnd} - n + 1;
    } else if (n < v.activeDecayEnd) {
        phase = Phase::kDecay;
        left = int64_t{v.activeDecayEnd} - n;
    }
    length = static_cast<int32_t>(std::min<int64_t>(left, limit));
    return phase;
}

// Where the envelope rests. With Start=End on, a write of "Start" moves
// endValue only; the resting position follows it here.
[[gnu::always_inline]] inline float restingEnvelope(const Voice& v, const Settings& s) {
    return s.restOnEndValue ? s.endValue : v.endTarget;
}

// [audio thread] One step of the envelope: attack toward startTarget (then
// hold), decay toward endTarget, then rest. The phases are tested in this
// order, so when the hold ends at or after the decay end the hold wins.
template <Phase kPhase = Phase::kAny>
[[gnu::always_inline]] inline float advanceEnvelope(Voice& v, const Settings& s) {
    const int32_t n = v.samplesSinceTrigger;
    const bool attack = kPhase == Phase::kAny ? n <= v.activeHoldEnd : kPhase == Phase::kAttack;
    const bool decay = kPhase == Phase::kAny ? n < v.activeDecayEnd : kPhase == Phase::kDecay;
    float pos;
    if (attack) {
        pos = v.envelopePosition + v.attackStep;
        pos = v.attackStep >= 0.0f ? std::min(pos, v.startTarget) : std::max(pos, v.startTarget);
    } else if (decay) {
        pos = v.envelopePosition + v.decayStep;
        pos = v.decayStep >= 0.0f ? std::min(pos, v.endTarget) : std::max(pos, v.endTarget);
    } else {
        pos = restingEnvelope(v, s);
    }
    v.envelopePosition = pos;
    return pos;
}

// What is known of the LFO's way to the pan for a run of samples.
enum class LfoMode : uint8_t {
    kAny,      // decided on each sample
    kRunning,  // crossfade or fade-in still moving
    kSettled,  // both complete, at a depth above 0
    kPutOff,   // both complete at depth 0: the output is made only when stored
};

// [audio thread] The LFO's way to the pan: crossfade from the value held at
// the last restart, fade-in after "LFO Delay", depth. Once the crossfade and
// the fade-in are complete they stay at 1 and drop out of the sums.
template <LfoMode kMode = LfoMode::kAny>
[[gnu::always_inline]] inline void advanceLfoOutput(Voice& v, const Settings& s) {
    if (kMode == LfoMode::kPutOff || (kMode == LfoMode::kAny && v.lfoDeferred)) return;
    const double held = v.lfoHeldOutput;
    if (kMode == LfoMode::kSettled || (kMode == LfoMode::kAny && v.lfoSettled)) {
        if (kMode == LfoMode::kAny && s.lfoDepth == 0.0f) {
            // The LFO cannot move the pan; its output is made when stored.
            v.lfoDeferred = true;
            v.lfoOffset = 0.0f;
            return;
        }
        v.lfoOutput = static_cast<float>(held + (double{v.lfoSin} - held));
        v.lfoOffset = v.lfoOutput * s.lfoDepth;
        return;
    }
    v.lfoBlend = std::min(pan::kFull, v.lfoBlend + s.attackIncrement);
    v.lfoOutput = static_cast<float>(held + (double{v.lfoSin} - held) * double{v.lfoBlend});
    // Under Sample&Hold the LFO only supplies the random value and must not
    // move the position itself.
    v.lfoDelayRamp = std::min(pan::kFull, v.lfoDelayRamp + s.lfoDelayStep);
    if (s.sampleAndHold) v.lfoDelayRamp = 0.0f;
    const double level = v.lfoDelayLevel;
    v.lfoDelayLevel =
        static_cast<float>(level + (double{v.lfoDelayRamp} - level) * double{s.delaySmoothing});
    v.lfoOffset =
        static_cast<float>(double{v.lfoOutput} * (double{v.lfoDelayLevel} * double{s.lfoDepth}));
    v.lfoSettled = lfoAtRest(v, s);
}

// The pan position that the envelope and the LFO's offset add up to, kept
// within 0..1.
[[gnu::always_inline]] inline float clampedPan(float raw) {
    if (raw > pan::kFull) raw = pan::kFull;
    if (!(raw >= 0.0f)) raw = raw < 0.0f ? 0.0f : pan::kCentre;  // not a number: centre
    return raw;
}

// [audio thread] The first part of a sample: the detector and the LFO's zero
// crossing. Answers whether a trigger is due on this sample.
template <bool kCalls = true>
[[gnu::always_inline]] inline bool detectAndDecide(Voice& v, const Settings& s, Engine& e,
                                                   float m) {
    detectTransient<kCalls>(v, s, e, m);

    // A crossing only matters while none is pending.
    // It is a sign change, to or through zero: from below, the sine reaches
    // 0 or more; from above, 0 or less.
    const float sine = v.lfoSin;
    const float previous = v.lfoPrevSin;
    if (!(v.pending & kLfoCrossed) &&
        (previous < 0.0f ? sine >= 0.0f : previous > 0.0f && sine <= 0.0f)) {
        v.pending |= kLfoCrossed;
    }
    v.lfoPrevSin = sine;
    return triggerDue(v, s);
}

// [audio thread] A trigger on this sample, between the two parts.
[[gnu::always_inline]] inline void fireTrigger(Voice& v, Engine& e, float m) {
    v.store(e);
    e.fireTrigger(m);
    v.load(e);
    v.lfoSettled = false;
    v.lfoDeferred = false;
}

// [audio thread] The second part of a sample: the envelope, the LFO and the
// slewed pan position, which it answers. Without kCalls the bar line is left
// out: the caller has made sure that none is pending. kPhase and kMode state
// what the caller knows of the envelope's phase and of the LFO.
template <bool kCalls = true, Phase kPhase = Phase::kAny, LfoMode kMode = LfoMode::kAny>
[[gnu::always_inline]] inline float movePan(Voice& v, const Settings& s, Engine& e, bool fired,
                                            float restingRaw = 0.0f) {
    if (!fired) ++v.samplesSinceTrigger;
    const float envelope = advanceEnvelope<kPhase>(v, s);

    // The bar line below restarts the LFO from its output as it stands
    // before this sample's step.
    const bool bar = kCalls && e.barPending;
    if (bar) [[unlikely]] {
        v.makeDeferredLfo();
    }

    // Coupled sine oscillator: the cosine uses the sine just computed, which
    // keeps the amplitude steady without any transcendental call.
    v.lfoSin = static_cast<float>(double{v.lfoSin} + double{v.lfoCos} * s.lfoPhaseStep);
    v.lfoCos = static_cast<float>(double{v.lfoCos} - double{v.lfoSin} * s.lfoPhaseStep);

    if (bar) [[unlikely]] {
        v.store(e);
        e.passHostBarLine();
        v.load(e);
        v.lfoSettled = false;
        v.lfoDeferred = false;
    }
    advanceLfoOutput<kMode>(v, s);

    float raw;
    constexpr bool kPutOff = kMode == LfoMode::kPutOff;
    if constexpr (kPhase == Phase::kRest && kPutOff) {
        raw = restingRaw;  // the same on every sample: the caller made it once
    } else {
        // Put off, the offset is 0 (see advanceLfoOutput).
        raw = clampedPan((kPutOff ? 0.0f : v.lfoOffset) + envelope);
    }
    v.rawPan = raw;
    if (raw != v.panPosition) slewBy(s.slewStep, raw, v.panPosition);
    return v.panPosition;
}

// [audio thread] One whole sample through the generator, rare steps included.
[[gnu::always_inline]] inline float nextPanPosition(Voice& v, const Settings& s, Engine& e,
                                                    float m) {
    const bool fire = detectAndDecide(v, s, e, m);
    if (fire) fireTrigger(v, e, m);
    return movePan(v, s, e, fire);
}

// [audio thread] One sample through the generator, on the engine's fields.
inline float Engine::nextPanPosition(float m) {
    const Settings s(*this);
    Voice v(*this, s);
    const float pan = tavolu::nextPanPosition(v, s, *this, m);
    v.store(*this);
    return pan;
}

}  // namespace tavolu
