// The per-sample chain's working set for a run of samples.
//
// The engine's fields live in one large record that the host's output
// buffers could, as far as the compiler knows, point into; working on them
// directly would reload and store every field on every sample. For a run of
// samples the chain copies its record (SampleState) whole into a Voice, which
// nothing else can reach, so it stays in registers, and copies it whole back
// at the end; the parameter values come in a Settings snapshot. The rare
// steps that live in the engine's own functions (a trigger, the detector's
// segment end, a restart of the LFO) are bracketed by store/load, so they see
// and leave the fields exactly as in a plain loop.
//
// Parameter values are read once per block: a write from another thread has
// no defined moment within a block anyway, and a write between blocks is seen
// from the next block's first sample. Of the per-sample values that another
// thread also writes, endTarget and a pending note-on are only read here (at
// a run's start and at every reload), and envelopePosition is written back
// only if the setter left it alone meanwhile, so no write from elsewhere is
// lost.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/chain_state.h"
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
    bool lfoCanSettle;    // a step leaves a complete crossfade and fade-in at 1

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
          // From the members above: each shared field is read once.
          sources(static_cast<uint8_t>((lfoTrigger ? kLfoCrossed : 0) |
                                       (gridTrigger ? kGridPending : 0) |
                                       (audioTrigger ? kOnsetPending : 0) | kMidiPending)),
          lfoCanSettle(!(attackIncrement < 0.0f) && !(lfoDelayStep < 0.0f) &&
                       std::isfinite(delaySmoothing) && !sampleAndHold) {}
};

// The LFO's crossfade and fade-in are complete, under settings that leave them
// at 1 from step to step.
[[gnu::always_inline]] inline bool lfoAtRest(const SampleState& c, const Settings& s) {
    return c.lfoBlend == 1.0f && c.lfoDelayRamp == 1.0f && c.lfoDelayLevel == 1.0f &&
           s.lfoCanSettle;
}

struct Voice : SampleState {
    // The shared per-sample values as read at the block start or last reload.
    float envelopePosition;  // the working copy
    float envelopeRead;      // what the engine's field held when read
    float endTarget;         // read only: a trigger (in the engine) or the setter writes it
    // The flags a trigger waits on, one bit each, so that the decision can
    // look at all of them at once: the engine's lfoCrossed, gridPending and
    // detTriggered, and a pending note-on.
    uint8_t pending;

    // Not engine fields: what the chain knows about its own steady state.
    bool onsetSettled = false;  // the onset test would change nothing if run again
    bool lfoSettled = false;    // fade-in and crossfade complete: both stay at 1
    bool lfoDeferred = false;   // settled at depth 0: lfoOutput is made only when stored

    // The LFO's steady state is read off the record: its crossfade and fade-in
    // complete stay at 1 for as long as the settings let them.
    [[gnu::always_inline]] Voice(const Engine& e, const Settings& s) : SampleState(e) {
        readShared(e);
        lfoSettled = lfoAtRest(*this, s);
        if (lfoSettled && s.lfoDepth == 0.0f) {
            lfoDeferred = true;
            lfoOffset = 0.0f;
        }
    }

    [[gnu::always_inline]] void load(const Engine& e) {
        static_cast<SampleState&>(*this) = e;
        readShared(e);
    }

    [[gnu::always_inline]] void store(Engine& e) const {
        static_cast<SampleState&>(e) = *this;
        e.lfoCrossed = (pending & kLfoCrossed) != 0;
        e.gridPending = (pending & kGridPending) != 0;
        e.detTriggered = (pending & kOnsetPending) != 0;
        if (lfoDeferred) {
            // Settled (crossfade and fade-in at 1) with depth 0: the values
            // the skipped steps would have left.
            e.lfoOutput = deferredLfoOutput();
            e.lfoOffset = e.lfoOutput * 0.0f;
        }
        e.envelopePosition.replaceIfUnchanged(envelopeRead, envelopePosition);
    }

    // Makes the LFO output whose making was put off, as it stands now.
    [[gnu::always_inline]] void makeDeferredLfo() {
        if (!lfoDeferred) return;
        lfoOutput = deferredLfoOutput();
        lfoOffset = lfoOutput * 0.0f;
        lfoDeferred = false;
    }

  private:
    [[gnu::always_inline]] float deferredLfoOutput() const {
        const double held = lfoHeldOutput;
        return static_cast<float>(held + (double{lfoSin} - held));
    }

    [[gnu::always_inline]] void readShared(const Engine& e) {
        envelopePosition = envelopeRead = e.envelopePosition;
        endTarget = e.endTarget;
        pending = static_cast<uint8_t>(
            (e.lfoCrossed ? kLfoCrossed : 0) | (e.gridPending ? kGridPending : 0) |
            (e.detTriggered ? kOnsetPending : 0) | (e.midiTriggerPending ? kMidiPending : 0));
    }
};

}  // namespace tavolu
