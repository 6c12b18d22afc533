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

// [audio thread] One step of the envelope: attack toward startTarget (then
// hold), decay toward endTarget, then rest. The phases are tested in this
// order, so when the hold ends at or after the decay end the hold wins.
[[gnu::always_inline]] inline float advanceEnvelope(const Voice& v, const Settings& s, Engine& e) {
    const int32_t n = v.samplesSinceTrigger;
    float pos;
    if (n <= v.activeHoldEnd) {
        pos = e.envelopePosition + v.attackStep;
        pos = v.attackStep >= 0.0f ? std::min(pos, v.startTarget) : std::max(pos, v.startTarget);
    } else if (n < v.activeDecayEnd) {
        pos = e.envelopePosition + v.decayStep;
        pos = v.decayStep >= 0.0f ? std::min(pos, v.endTarget) : std::max(pos, v.endTarget);
    } else {
        // With Start=End on, a write of "Start" moves endValue only; the
        // resting position follows it here.
        pos = s.restOnEndValue ? s.endValue : v.endTarget;
    }
    e.envelopePosition = pos;
    return pos;
}

// [audio thread] The LFO's way to the pan: crossfade from the value held at
// the last restart, fade-in after "LFO Delay", depth. Once the crossfade and
// the fade-in are complete they stay at 1 and drop out of the sums.
[[gnu::always_inline]] inline void advanceLfoOutput(Voice& v, const Settings& s) {
    if (v.lfoDeferred) return;
    const double held = v.lfoHeldOutput;
    if (v.lfoSettled) {
        if (s.lfoDepth == 0.0f) {
            // The LFO cannot move the pan; its output is made when stored.
            v.lfoDeferred = true;
            v.lfoOffset = 0.0f;
            return;
        }
        v.lfoOutput = static_cast<float>(held + (v.lfoSin - held));
        v.lfoOffset = v.lfoOutput * s.lfoDepth;
        return;
    }
    v.lfoBlend = std::min(pan::kFull, v.lfoBlend + s.attackIncrement);
    v.lfoOutput = static_cast<float>(held + (v.lfoSin - held) * double{v.lfoBlend});
    // Under Sample&Hold the LFO only supplies the random value and must not
    // move the position itself.
    v.lfoDelayRamp = std::min(pan::kFull, v.lfoDelayRamp + s.lfoDelayStep);
    if (s.sampleAndHold) v.lfoDelayRamp = 0.0f;
    const double level = v.lfoDelayLevel;
    v.lfoDelayLevel =
        static_cast<float>(level + (double{v.lfoDelayRamp} - level) * double{s.delaySmoothing});
    v.lfoOffset =
        static_cast<float>(double{v.lfoOutput} * (double{v.lfoDelayLevel} * double{s.lfoDepth}));
    v.lfoSettled = v.lfoBlend == pan::kFull && v.lfoDelayRamp == pan::kFull &&
                   v.lfoDelayLevel == pan::kFull && !(s.attackIncrement < 0.0f) &&
                   !(s.lfoDelayStep < 0.0f) && std::isfinite(s.delaySmoothing);
}

// [audio thread] onMove runs whenever the pan position changes.
struct IgnoreMove {
    void operator()() const {}
};

template <class OnMove = IgnoreMove>
[[gnu::always_inline]] inline float nextPanPosition(Voice& v, const Settings& s, Engine& e, float m,
                                                    OnMove onMove = {}) {
    detectTransient(v, s, e, m);

    // A crossing only matters while none is pending.
    const double sine = v.lfoSin;
    if (!(v.pending & kLfoCrossed) &&
        ((sine >= 0.0 && v.lfoPrevSin < 0.0) || (sine <= 0.0 && v.lfoPrevSin > 0.0))) {
        v.pending |= kLfoCrossed;
    }
    v.lfoPrevSin = sine;

    if (triggerDue(v, s)) [[unlikely]] {
        v.store(e);
        e.fireTrigger(m);
        v.load(e);
        v.triggered = true;
        v.lfoSettled = false;
        v.lfoDeferred = false;
    } else {
        ++v.samplesSinceTrigger;
    }
    const float envelope = advanceEnvelope(v, s, e);

    // The bar line below restarts the LFO from its output as it stands
    // before this sample's step.
    if (v.barPending) [[unlikely]] {
        v.makeDeferredLfo();
    }

    // Coupled sine oscillator: the cosine uses the sine just computed, which
    // keeps the amplitude steady without any transcendental call.
    v.lfoSin = static_cast<float>(v.lfoSin + v.lfoCos * s.lfoPhaseStep);
    v.lfoCos = static_cast<float>(v.lfoCos - v.lfoSin * s.lfoPhaseStep);

    if (v.barPending) [[unlikely]] {
        v.store(e);
        e.passHostBarLine();
        v.load(e);
        v.lfoSettled = false;
        v.lfoDeferred = false;
    }
    advanceLfoOutput(v, s);

    float raw = v.lfoOffset + envelope;
    if (raw > pan::kFull) raw = pan::kFull;
    if (!(raw >= 0.0f)) raw = raw < 0.0f ? 0.0f : pan::kCentre;  // not a number: centre
    v.rawPan = raw;
    if (raw != v.panPosition) {
        slewBy(s.slewStep, raw, v.panPosition);
        onMove();
    }
    return v.panPosition;
}

// [audio thread] One sample through the generator, on the engine's fields.
inline float Engine::nextPanPosition(float m) {
    const Settings s(*this);
    Voice v(*this);
    const float pan = tavolu::nextPanPosition(v, s, *this, m);
    v.store(*this);
    return pan;
}

}  // namespace tavolu
