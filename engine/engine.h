// The panning engine: its whole state as plain records (the per-sample part
// in engine/chain_state.h), and the small functions that move it. The engine
// knows nothing of the host, the editor or the toolkit; it reaches outward
// only through EngineHost.
//
// Arithmetic: fields are float (32-bit) unless noted, intermediates are double,
// and every value is rounded to its field's type where it is stored. Constants
// written with an f suffix are meant at single precision.
//
// Threads: the fields in the "parameter-held" group (and the few others marked
// Shared) are written by whichever thread sets parameters while the audio
// thread reads them; everything else belongs to the audio thread alone.
#pragma once

#include <cstdint>

#include "engine/chain_state.h"
#include "engine/shared_value.h"

namespace tavolu {

// What the engine reads of the host's transport at a block start.
struct HostTime {
    double ppqPos = 0.0;       // quarter notes
    double tempo = 0.0;        // beats per minute
    double barStartPos = 0.0;  // quarter notes
    int32_t timeSigNumerator = 0;
};

// The engine's one way out. Both calls come from the audio thread and must
// not block, allocate or make a system call.
class EngineHost {
  public:
    // [audio thread] Fills `time` and answers true when the host gave its
    // position, tempo, bar start and time signature, all marked valid.
    virtual bool readHostTime(HostTime& time) = 0;
    // [audio thread] A display report for the editor: 22 detector rise,
    // 23 detector level, 25 pan position (+99 on a new trace), 36 tempo,
    // 37 silence.
    virtual void report(int32_t index, float value) = 0;

  protected:
    ~EngineHost() = default;
};

// Editor report indices.
enum EngineReport : int32_t {
    kReportDetectorRise = 22,
    kReportDetectorLevel = 23,
    kReportPanPosition = 25,
    kReportTempo = 36,
    kReportSilence = 37,
};

// Moves current toward target by at most step: d = target - current; within
// (-step, step) current lands on the target, otherwise it moves by one step. A
// target that is not a number leaves current where it is, so one bad value
// cannot walk a control off without end.
[[gnu::always_inline]] inline void slewBy(float step, float target, float& current) {
    const float d = target - current;
    if (-step < d && d < step) {
        current = target;
    } else if (d > 0.0f) {
        current = current + step;
    } else if (d < 0.0f) {
        current = current - step;
    }
}

// The per-sample state is the ChainState base; everything here is read at
// the block rate or set between blocks.
struct Engine : ChainState {
    EngineHost* host = nullptr;    // null: no time information, no reports
    bool displayAttached = false;  // an editor is attached to the effect

    // --- Parameter-held values (written by the parameter setter) ---
    Shared<bool> startEqualsEnd{false};
    Shared<float> startValue{0.1f};  // pan position 0..1
    Shared<float> endValue{0.9f};
    Shared<float> attackTime{0.025f};  // s, a quarter of "Attack"
    Shared<float> holdTime{0.0f};      // s after the trigger
    Shared<float> decayTime{0.5f};     // s after the trigger
    Shared<int8_t> startMode{0};       // 0 None, 1 Flip, 2 Sample&Hold
    Shared<int8_t> endMode{0};
    Shared<int8_t> trigSource{0};   // 0 Audio, 1..4 grid, 5 From LFO
    Shared<double> gridBeats{1.0};  // beats between grid triggers
    Shared<bool> audioTriggerEnabled{false};
    Shared<bool> gridTriggerEnabled{false};
    Shared<bool> lfoTriggerEnabled{false};
    Shared<float> threshold{0.0f};    // linear level 0..1
    Shared<float> selectivity{0.3f};  // relative rise 0..1
    Shared<float> lfoDepth{0.0f};     // 0..0.5
    Shared<float> lfoDelayStep{0.0f};
    Shared<float> lfoFreqValue{0.5f};
    Shared<float> lfoPhaseStep{0.01f};  // rad per sample
    Shared<int8_t> lfoFreqSource{0};    // 0 Manual, 1..4 note values
    Shared<double> lfoCyclesPerBeat{0.0};
    Shared<int8_t> lfoSync{0};  // 0 None, 1 Trigger, 2 Host, Bar
    Shared<float> lfoSyncFlip{0.0f};
    Shared<float> lfoDirection{1.0f};  // +1 or -1: lfoCos at the next reset
    Shared<bool> flipPending{false};
    Shared<float> centerVolTarget{1.0f};
    Shared<float> dryWetTarget{1.0f};
    Shared<float> stereoTarget{0.0f};
    Shared<bool> holdSourceIsLfo{true};

    // --- Sample-rate values (set by resume, except inputGain) ---
    Shared<float> engineSampleRate{44100.0f};  // Hz
    int32_t updateInterval = 441;              // samples between periodic updates
    uint32_t detectorSegmentLength = 0;        // samples per detector segment
    float detectorSegmentInverse = 0.0f;
    float slewStep = 0.0f;               // largest change per sample of a slewed value
    Shared<float> lfoRateScale{0.001f};  // "LFO Freq" knob to lfoPhaseStep
    float inputGain = 1.0f;              // gain of the mono input sum

    // --- Envelope timing (written by the parameter setter) ---
    Shared<float> attackSamples{0.0f};
    Shared<float> holdSamples{0.0f};
    Shared<float> decaySamples{22050.0f};
    Shared<int32_t> attackEndSample{0};
    Shared<int32_t> holdEndSample{0};
    Shared<int32_t> decayEndSample{22050};
    Shared<float> attackIncrement{1.0f};
    Shared<float> decayIncrement{1.0f};
    Shared<float> delaySmoothing{1.0f};

    // --- Per-sample values that the setter or the event call also write ---
    Shared<float> endTarget{0.9f};           // also set by the "End" and "Start=End" writes
    Shared<float> envelopePosition{0.5f};    // also set by the "Start=End" write
    Shared<bool> midiTriggerPending{false};  // set by the event call

    // --- Host sync (block-rate values) ---
    Shared<bool> timeInfoCurrent{false};
    bool hostSyncValid = false;
    double samplesPerBeat = 22050.0;
    double samplesPerBar = 22050.0;
    double lastPpqPos = -99999999.0;
    // Samples: how far a line computed from the host's position may stray from
    // a whole sample through rounding alone (see blockStart).
    double lineTolerance = 0.0;

    // --- Operations that keep derived values consistent [any thread] ---
    void setAttackTime(float t);
    void setHoldTime(float t);
    void setDecayTime(float t);
    void updateDecayIncrement();
    void updateHoldSource();
    void requestTimeInfo() { timeInfoCurrent = false; }
    // [audio thread] Moves current toward target by at most slewStep.
    void slewToward(float target, float& current) const { slewBy(slewStep, target, current); }

    // [UI thread, never while processing] Derives the sample-rate values.
    void resume(float sampleRate);

    // [audio thread] A MIDI message from the host's event list.
    void midiMessage(uint8_t status, uint8_t data1, uint8_t data2);

    // [audio thread] One block; the input and output buffers may be the same.
    void processReplacing(const float* inLeft, const float* inRight, float* outLeft,
                          float* outRight, int32_t sampleFrames);

    // Per-sample pieces, public so they can be tested one by one [audio thread].
    // detectTransient and triggerDue are defined in engine/trigger.h,
    // nextPanPosition in engine/pan_generator.h: include those to call them.
    void blockStart();
    void detectTransient(float m);
    bool triggerDue() const;
    float nextPanPosition(float m);
    void resetLfo();
    void periodicUpdate();

    // The rarer steps, kept out of line so the per-sample path stays short.
    void fireTrigger(float m);
    void endDetectorRise();
    void endDetectorSegment();
    void passHostBarLine();
    void notify(int32_t index, float value) {
        if (displayAttached && host != nullptr) host->report(index, value);
    }
};

}  // namespace tavolu
