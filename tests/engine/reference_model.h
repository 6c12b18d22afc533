// A plain, sample-by-sample rendering of the engine's per-sample chain, step
// for step in the documented order and reading every field where it is used.
// The block routine takes short cuts (state in locals, runs between events,
// work skipped while nothing moves); the tests hold it to this model bit for bit.
#pragma once

#include <algorithm>
#include <cmath>

#include "engine/denormal_guard.h"
#include "engine/engine.h"
#include "engine/host_position.h"

namespace tavolu::testing::reference {

inline void detectTransient(Engine& e, float m) {
    const float a = std::fabs(m);
    if (e.detEnvelope <= a) {
        e.detSegmentCounter = 0;
        e.detEnvelope = a;
        e.detDisplayLevel = a;
        e.detDisplayStep = 0.0f;
        e.detRising = true;
    } else {
        if (e.detRising) e.endDetectorRise();
        if (e.detSegmentCounter < e.detectorSegmentLength) {
            e.detDisplayLevel = e.detDisplayLevel - e.detDisplayStep;
            ++e.detSegmentCounter;
            if (a > e.detSegmentPeak) e.detSegmentPeak = a;
        } else {
            e.endDetectorSegment();
        }
    }
    const float d = e.detEnvelope - e.detMinimum;
    if (!e.detArmed || e.detEnvelope < e.detMinimum) e.detMinimum = e.detEnvelope;
    const double g = e.detEnvelope == 0.0f ? 0.0 : double{d} / double{e.detEnvelope};
    if (e.detArmed && g > double{e.selectivity}) {
        e.detTriggered = true;
        e.detArmed = false;
        e.detDisplayLevel = 0.0f;
    }
    if (!e.detArmed && g < 0.0) e.detArmed = true;
}

inline bool triggerDue(const Engine& e) {
    if (e.lfoCrossed && e.lfoTriggerEnabled) return true;
    if (e.gridPending && e.gridTriggerEnabled) return true;
    if (e.detTriggered && !e.detArmed && e.threshold <= e.detEnvelope && e.audioTriggerEnabled) {
        return true;
    }
    return e.midiTriggerPending;
}

inline void advanceEnvelope(Engine& e) {
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
        if (e.startEqualsEnd && e.endMode == 0) pos = e.endValue;
    }
    e.envelopePosition = pos;
}

inline float nextPanPosition(Engine& e, float m) {
    detectTransient(e, m);
    if ((e.lfoSin >= 0.0f && e.lfoPrevSin < 0.0f) || (e.lfoSin <= 0.0f && e.lfoPrevSin > 0.0f)) {
        e.lfoCrossed = true;
    }
    e.lfoPrevSin = e.lfoSin;
    if (triggerDue(e)) {
        e.fireTrigger(m);
    } else {
        ++e.samplesSinceTrigger;
    }
    advanceEnvelope(e);
    const double step = e.lfoPhaseStep;
    e.lfoSin = static_cast<float>(double{e.lfoSin} + double{e.lfoCos} * step);
    e.lfoCos = static_cast<float>(double{e.lfoCos} - double{e.lfoSin} * step);
    if (e.barPending) e.passHostBarLine();
    e.lfoBlend = std::min(1.0f, e.lfoBlend + e.attackIncrement);
    e.lfoOutput =
        static_cast<float>(double{e.lfoHeldOutput} +
                           (double{e.lfoSin} - double{e.lfoHeldOutput}) * double{e.lfoBlend});
    e.lfoDelayRamp = std::min(1.0f, e.lfoDelayRamp + e.lfoDelayStep);
    if (e.startMode == 2 || e.endMode == 2) e.lfoDelayRamp = 0.0f;
    e.lfoDelayLevel = static_cast<float>(double{e.lfoDelayLevel} +
                                         (double{e.lfoDelayRamp} - double{e.lfoDelayLevel}) *
                                             double{e.delaySmoothing});
    e.lfoOffset =
        static_cast<float>(double{e.lfoOutput} * (double{e.lfoDelayLevel} * double{e.lfoDepth}));
    float raw = e.lfoOffset + e.envelopePosition;
    if (raw > 1.0f) raw = 1.0f;
    if (!(raw >= 0.0f)) raw = raw < 0.0f ? 0.0f : 0.5f;
    e.rawPan = raw;
    e.slewToward(raw, e.panPosition);
    return e.panPosition;
}

// One block, sample by sample.
inline void processReplacing(Engine& e, const float* inL, const float* inR, float* outL,
                             float* outR, int32_t frames) {
    const ScopedDenormalFlush flushDenormals;
    if (!e.timeInfoCurrent) e.blockStart();
    for (int32_t i = 0; i < frames; ++i) {
        if (e.samplesToNextBar < 1.0) {
            e.samplesToNextBar += e.samplesPerBar;
            if (e.hostSyncValid) {
                e.samplesToNextBar = onWholeSample(e.samplesToNextBar, e.lineTolerance);
            }
            e.barPending = e.hostSyncValid;
            e.timeInfoCurrent = false;
        }
        e.samplesToNextBar -= 1.0;
        if (e.samplesToNextGridLine < 1.0) {
            const double step = e.gridBeats * e.samplesPerBeat;
            e.samplesToNextGridLine =
                e.hostSyncValid ? onWholeSample(e.samplesToNextGridLine + step, e.lineTolerance)
                                : step;
            e.gridPending = e.hostSyncValid;
            e.timeInfoCurrent = false;
        }
        e.samplesToNextGridLine -= 1.0;
        e.slewToward(e.stereoTarget, e.stereo);
        e.slewToward(e.dryWetTarget, e.dryWet);
        e.slewToward(e.centerVolTarget, e.centerVol);
        const float left = inL[i];
        const float right = inR[i];
        float m = static_cast<float>((double{right} + double{left}) * double{e.inputGain});
        float l = 0.0f;
        float r = 0.0f;
        if (std::isfinite(m)) {
            l = static_cast<float>(double{m} + (double{left} - double{m}) * double{e.stereo});
            r = static_cast<float>(double{m} + (double{right} - double{m}) * double{e.stereo});
        } else {
            m = 0.0f;
        }
        const double t = nextPanPosition(e, m);
        const double w = double{e.centerVol} + 1.0;
        double a = 1.0 - (1.0 - t) * w;
        double b = 1.0 - t * w;
        if (a < 0.0) a = 0.0;
        if (b < 0.0) b = 0.0;
        outL[i] = static_cast<float>(double{l} * (1.0 - double{e.dryWet} * a));
        outR[i] = static_cast<float>(double{r} * (1.0 - double{e.dryWet} * b));
        if (++e.updateCounter >= e.updateInterval) {
            e.updateCounter = 0;
            e.periodicUpdate();
        }
        if (e.samplesSinceTrigger >= 5000000) e.samplesSinceTrigger = 500000;
    }
}

}  // namespace tavolu::testing::reference
