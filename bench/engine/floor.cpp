// The arithmetic floor: how many instructions per stereo frame the engine's
// arithmetic itself needs, for programs 0 to 8, over the signal and transport
// that bench/instructions.sh measures (5 s of noise bursts at 44.1 kHz, both
// inputs, 120 BPM from the song's start).
//
// Each sample's work depends on where the chain stands: a new peak or a
// falling envelope, a crossing still to be watched for, the envelope's phase,
// the LFO's crossfade and fade-in (running, complete, or at depth 0 where its
// output cannot move the pan), a pan position that moves or rests. The engine
// is run frame by frame, each frame is classified by comparing its state
// before and after, and the costs below are summed. They count x86-64 SSE2
// instructions at their fewest for the fixed arithmetic (float fields, double
// intermediates: a widening, the operation, a rounding back), one load or
// store where a value must pass through memory, and a loop's increment,
// compare and branch, with nothing else. The frames' inputs and outputs are
// counted four at a time (SSE), as the engine does them.
//
//   engine_floor            the floor of programs 0..8, one line each
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/engine/bench_setup.h"
#include "engine/voice.h"

namespace {

using tavolu::Engine;

// Instructions per frame; see each line.
namespace cost {
// Mono sum of four frames: 2 loads, add, multiply, store; finiteness: and,
// compare, or; the loop's 3.
constexpr double kInput = 11.0 / 4.0;
// The chain's loop: the mono sum's load, the pan position's store, 3 of loop.
constexpr double kChainLoop = 5.0;
// Detector: |m|, the compare with the envelope and its branch.
constexpr double kDetector = 3.0;
// A new peak: envelope, display level, counter, display step, rising flag,
// and the test whether the peak moved the envelope (2).
constexpr double kNewPeak = 7.0;
// Falling: rising test (2), counter test (2), display step, counter, peak max.
constexpr double kFalling = 7.0;
// The onset test once the envelope moved: difference, minimum (2 tests),
// rise as a double fraction (2 widenings, divide), selectivity compare (2),
// arming (3), and the test whether anything changed (2).
constexpr double kOnsetTest = 12.0;
constexpr double kOnsetSkip = 2.0;  // the settled flag's test
// Zero crossing: the pending flag's test (2); while none is pending, the
// previous sine's sign (2) and the sine's (2).
constexpr double kCrossingPending = 2.0;
constexpr double kCrossingWatch = 6.0;
constexpr double kTriggerTest = 2.0;    // the due flags against the sources
constexpr double kThresholdTest = 3.0;  // an onset flagged: threshold against the envelope
constexpr double kSampleCount = 1.0;    // samples since the trigger
constexpr double kEnvelopeStep = 4.0;   // add, direction (2), min or max
constexpr double kRotation = 8.0;       // 2 multiplies, add, subtract, 2 roundings, 2 widenings
// The LFO's output, settled: sine less held, add, rounding, times depth.
constexpr double kLfoSettled = 4.0;
// Unsettled: crossfade (add, min; subtract, widen, multiply, add, round),
// fade-in ramp (add, min), delay level (widen, subtract, multiply, add,
// round), offset (2 widenings, 2 multiplies, round), settled test (6).
constexpr double kLfoUnsettled = 26.0;
constexpr double kRaw = 5.0;  // offset plus envelope, two clamps (2 each)
constexpr double kPanCompare = 2.0;
constexpr double kSlew = 6.0;  // difference, two compares, the step
// Pan law and outputs for four frames with the gains kept: pan positions'
// load, compare, mask, branch (5); mono sums' load and widening (4); 4
// multiplies, 4 roundings, 2 packs, 2 stores; the loop's 3.
constexpr double kOutputsKept = 29.0 / 4.0;
// Gains made afresh for four frames: 2 widenings and a shuffle of the pan
// positions, and per pair 11 (two sides, clamp, Dry-Wet); 3 to keep the last.
constexpr double kOutputsMade = 28.0 / 4.0;
// Rare steps, whole: a rise's end (a double fraction, 2 reports), a
// segment's end, a trigger (targets, steps, flags), a periodic update.
constexpr double kRiseEnd = 12.0;
constexpr double kSegmentEnd = 12.0;
constexpr double kTrigger = 40.0;
constexpr double kPeriodicUpdate = 10.0;
}  // namespace cost

constexpr float kRate = 44100.0f;  // Hz
constexpr int kFrames = 220500;    // 5 s
constexpr float kBothInputs = 0.5f;

double floorOf(int32_t program) {
    using namespace tavolu;
    bench::BenchRig b(kRate, program);
    Engine& e = b.engine();
    e.inputGain = kBothInputs;
    const std::vector<float> left = testing::burstSignal(kFrames, 1);
    const std::vector<float> right = testing::burstSignal(kFrames, 2);
    double total = 0.0;
    float out[2];
    for (int i = 0; i < kFrames; ++i) {
        const ChainState was = e;
        const float a = std::fabs((left[i] + right[i]) * e.inputGain);
        const Settings settings(e);
        const bool lfoSettled = lfoAtRest(was, settings);
        const bool lfoPutOff = lfoSettled && settings.lfoDepth == 0.0f;
        e.processReplacing(&left[i], &right[i], &out[0], &out[1], 1);
        b.host.framesDone += 1;

        double c = cost::kInput + cost::kChainLoop + cost::kDetector + cost::kTriggerTest;
        const bool newPeak = was.detEnvelope <= a;
        c += newPeak ? cost::kNewPeak : cost::kFalling;
        if (!newPeak && was.detRising) c += cost::kRiseEnd;
        if (!newPeak && was.detSegmentCounter >= e.detectorSegmentLength) c += cost::kSegmentEnd;
        c += e.detEnvelope != was.detEnvelope ? cost::kOnsetTest : cost::kOnsetSkip;
        c += was.lfoCrossed ? cost::kCrossingPending : cost::kCrossingWatch;
        if (e.detTriggered || was.detTriggered) c += cost::kThresholdTest;
        const bool fired = e.samplesSinceTrigger == 0;
        if (fired) c += cost::kTrigger;
        c += cost::kSampleCount;
        const int32_t n = e.samplesSinceTrigger;
        const bool resting = n >= e.activeDecayEnd && n > e.activeHoldEnd;
        if (!resting) c += cost::kEnvelopeStep;
        c += cost::kRotation;
        c += lfoPutOff ? 0.0 : lfoSettled ? cost::kLfoSettled : cost::kLfoUnsettled;
        if (!(resting && lfoPutOff)) c += cost::kRaw;
        c += cost::kPanCompare;
        if (was.rawPan != e.rawPan || e.rawPan != was.panPosition) c += cost::kSlew;
        c += cost::kOutputsKept;
        if (e.panPosition != was.panPosition) c += cost::kOutputsMade;
        if (e.updateCounter == 0) c += cost::kPeriodicUpdate;
        total += c;
    }
    return total / kFrames;
}

}  // namespace

int main() {
    for (int32_t p = 0; p < tavolu::testing::kNumFactoryRows; ++p) {
        std::printf("program %d floor %.1f\n", p, floorOf(p));
    }
    return 0;
}
