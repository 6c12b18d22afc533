// The per-sample chain's working set, held in locals for a block.
//
// The engine's fields live in one large record that the host's output
// buffers could, as far as the compiler knows, point into; working on them
// directly would reload and store every field on every sample. For the length
// of a block the block routine copies what the chain touches on every sample
// into a Voice (which nothing else can reach, so it stays in registers) and
// the parameter values into a Settings snapshot, and writes the Voice back at
// the end. The rare steps that live in the engine's own functions (a trigger,
// the detector's segment end, a restart of the LFO) are bracketed by
// store/load, so they see and leave the fields exactly as in a plain loop.
//
// Parameter values are read once per block: a write from another thread has
// no defined moment within a block anyway, and a write between blocks is seen
// from the next block's first sample, just as before. Fields that another
// thread also writes are never stored from a Voice, so no write is lost:
// envelopePosition is read and written where it is used; endTarget and
// midiTriggerPending are only read, at the block start and at every reload.
#pragma once

#include <cstdint>

#include "engine/engine.h"

namespace tavolu {

// Bits of Voice::pending, and of Settings::sources.
constexpr uint8_t kLfoCrossed = 1;    // lfoCrossed
constexpr uint8_t kGridPending = 2;   // gridPending
constexpr uint8_t kOnsetPending = 4;  // detTriggered
// midiTriggerPending. The event call sets it between blocks, so it is read at
// the block start (and after a trigger, which clears it) and never stored
// from here: a note that arrives meanwhile is never lost.
constexpr uint8_t kMidiPending = 8;

struct Settings {
    double selectivity;
    double lfoPhaseStep;  // rad per sample
    float threshold;
    float attackIncrement;
    float lfoDelayStep;
    float delaySmoothing;
    float lfoDepth;
    float endValue;
    float stereoTarget;
    float dryWetTarget;
    float centerVolTarget;
    float slewStep;
    float inputGain;
    uint32_t segmentLength;  // samples per detector segment
    bool audioTrigger;
    bool gridTrigger;
    bool lfoTrigger;
    bool sampleAndHold;   // either mode takes the LFO as a random source only
    bool restOnEndValue;  // "Start=End" on with End Mode None
    uint8_t sources;      // the pending bits whose source is selected

    [[gnu::always_inline]] explicit Settings(const Engine& e)
        : selectivity(e.selectivity),
          lfoPhaseStep(e.lfoPhaseStep),
          threshold(e.threshold),
          attackIncrement(e.attackIncrement),
          lfoDelayStep(e.lfoDelayStep),
          delaySmoothing(e.delaySmoothing),
          lfoDepth(e.lfoDepth),
          endValue(e.endValue),
          stereoTarget(e.stereoTarget),
          dryWetTarget(e.dryWetTarget),
          centerVolTarget(e.centerVolTarget),
          slewStep(e.slewStep),
          inputGain(e.inputGain),
          segmentLength(e.detectorSegmentLength),
          audioTrigger(e.audioTriggerEnabled),
          gridTrigger(e.gridTriggerEnabled),
          lfoTrigger(e.lfoTriggerEnabled),
          sampleAndHold(e.startMode == 2 || e.endMode == 2),
          restOnEndValue(e.startEqualsEnd && e.endMode == 0),
          sources(static_cast<uint8_t>(
              (e.lfoTriggerEnabled ? kLfoCrossed : 0) | (e.gridTriggerEnabled ? kGridPending : 0) |
              (e.audioTriggerEnabled ? kOnsetPending : 0) | kMidiPending)) {}
};

struct Voice {
    // Transient detector
    float detEnvelope, detSegmentPeak, detDisplayLevel, detDisplayStep, detMinimum;
    uint32_t detSegmentCounter;
    bool detRising, detArmed;
    // LFO; the oscillator is kept in double (always holding float values)
    double lfoSin, lfoCos, lfoPrevSin;
    float lfoOutput, lfoHeldOutput, lfoBlend, lfoDelayRamp, lfoDelayLevel, lfoOffset;
    bool barPending;
    // The three flags a trigger waits on, one bit each, so that the decision
    // can look at all of them at once.
    uint8_t pending;
    // Envelope and pan
    int32_t samplesSinceTrigger, activeHoldEnd, activeDecayEnd;
    float startTarget, attackStep, decayStep, rawPan, panPosition;
    // Read only: the setter writes it too, so it is never stored from here.
    // A write lands at the next block, trigger or other reload.
    float endTarget;
    // Block counters and output controls
    double samplesToNextBar, samplesToNextGridLine;
    int32_t updateCounter;
    float stereo, dryWet, centerVol;

    // Not engine fields: what the chain knows about its own steady state.
    bool onsetSettled;  // the onset test would change nothing if run again
    bool lfoSettled;    // fade-in and crossfade complete: both stay at 1
    bool lfoDeferred;   // settled at depth 0: lfoOutput is made only when stored
    bool triggered;     // a trigger fired on the sample just run

    [[gnu::always_inline]] explicit Voice(const Engine& e)
        : onsetSettled(false), lfoSettled(false), lfoDeferred(false), triggered(false) {
        load(e);
    }

    [[gnu::always_inline]] void load(const Engine& e) {
        detEnvelope = e.detEnvelope;
        detSegmentPeak = e.detSegmentPeak;
        detDisplayLevel = e.detDisplayLevel;
        detDisplayStep = e.detDisplayStep;
        detMinimum = e.detMinimum;
        detSegmentCounter = e.detSegmentCounter;
        detRising = e.detRising;
        detArmed = e.detArmed;
        lfoSin = e.lfoSin;
        lfoCos = e.lfoCos;
        lfoPrevSin = e.lfoPrevSin;
        lfoOutput = e.lfoOutput;
        lfoHeldOutput = e.lfoHeldOutput;
        lfoBlend = e.lfoBlend;
        lfoDelayRamp = e.lfoDelayRamp;
        lfoDelayLevel = e.lfoDelayLevel;
        lfoOffset = e.lfoOffset;
        barPending = e.barPending;
        pending = static_cast<uint8_t>(
            (e.lfoCrossed ? kLfoCrossed : 0) | (e.gridPending ? kGridPending : 0) |
            (e.detTriggered ? kOnsetPending : 0) | (e.midiTriggerPending ? kMidiPending : 0));
        samplesSinceTrigger = e.samplesSinceTrigger;
        activeHoldEnd = e.activeHoldEnd;
        activeDecayEnd = e.activeDecayEnd;
        startTarget = e.startTarget;
        endTarget = e.endTarget;
        attackStep = e.attackStep;
        decayStep = e.decayStep;
        rawPan = e.rawPan;
        panPosition = e.panPosition;
        samplesToNextBar = e.samplesToNextBar;
        samplesToNextGridLine = e.samplesToNextGridLine;
        updateCounter = e.updateCounter;
        stereo = e.stereo;
        dryWet = e.dryWet;
        centerVol = e.centerVol;
    }

    // Makes the LFO output whose making was put off, as it stands now.
    [[gnu::always_inline]] void makeDeferredLfo() {
        if (!lfoDeferred) return;
        const double held = lfoHeldOutput;
        lfoOutput = static_cast<float>(held + (lfoSin - held));
        lfoOffset = lfoOutput * 0.0f;
        lfoDeferred = false;
    }

    [[gnu::always_inline]] void store(Engine& e) const {
        e.detEnvelope = detEnvelope;
        e.detSegmentPeak = detSegmentPeak;
        e.detDisplayLevel = detDisplayLevel;
        e.detDisplayStep = detDisplayStep;
        e.detMinimum = detMinimum;
        e.detSegmentCounter = detSegmentCounter;
        e.detRising = detRising;
        e.detArmed = detArmed;
        e.lfoSin = static_cast<float>(lfoSin);
        e.lfoCos = static_cast<float>(lfoCos);
        e.lfoPrevSin = static_cast<float>(lfoPrevSin);
        if (lfoDeferred) {
            // Settled (crossfade and fade-in at 1) with depth 0: the values
            // the skipped steps would have left.
            const double held = lfoHeldOutput;
            e.lfoOutput = static_cast<float>(held + (lfoSin - held));
            e.lfoOffset = e.lfoOutput * 0.0f;
        } else {
            e.lfoOutput = lfoOutput;
            e.lfoOffset = lfoOffset;
        }
        e.lfoHeldOutput = lfoHeldOutput;
        e.lfoBlend = lfoBlend;
        e.lfoDelayRamp = lfoDelayRamp;
        e.lfoDelayLevel = lfoDelayLevel;
        e.lfoCrossed = (pending & kLfoCrossed) != 0;
        e.barPending = barPending;
        e.gridPending = (pending & kGridPending) != 0;
        e.detTriggered = (pending & kOnsetPending) != 0;
        e.samplesSinceTrigger = samplesSinceTrigger;
        e.activeHoldEnd = activeHoldEnd;
        e.activeDecayEnd = activeDecayEnd;
        e.startTarget = startTarget;
        e.attackStep = attackStep;
        e.decayStep = decayStep;
        e.rawPan = rawPan;
        e.panPosition = panPosition;
        e.samplesToNextBar = samplesToNextBar;
        e.samplesToNextGridLine = samplesToNextGridLine;
        e.updateCounter = updateCounter;
        e.stereo = stereo;
        e.dryWet = dryWet;
        e.centerVol = centerVol;
    }
};

}  // namespace tavolu
