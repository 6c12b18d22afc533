// Long offline renders through the engine, shared by the long-run test (which
// checks the outputs and the state at the end, under UBSan in the sanitizer
// build) and the long-run tool (which prints the cost per frame of the first
// and the last minute).
//
// The settings follow a schedule that repeats every minute of audio: sixteen
// scenes, one per program, each with its own trigger source, modes, LFO
// settings and host tempo. The first and the last minute therefore ask the
// engine for exactly the same work, and any difference in their cost is
// drift in the state, not a different workload.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/support/engine_rig.h"
#include "tests/support/signals.h"

namespace tavolu::testing {

constexpr int32_t kLongRunBlock = 512;     // frames
constexpr int kScenesPerMinute = 16;       // one per program
constexpr double kSceneSeconds = 3.75;     // s: sixteen scenes fill a minute
constexpr size_t kLongRunInput = 1 << 18;  // frames of input, looped

// Seconds of audio to render: the environment variable's value when it is a
// positive number, else `fallback`.
inline double longRunSeconds(const char* variable, double fallback) {
    const char* text = std::getenv(variable);
    const double seconds = text ? std::strtod(text, nullptr) : 0.0;
    return std::isfinite(seconds) && seconds > 0.0 ? seconds : fallback;
}

// A transport that plays on without end at the scene's tempo; now and then a
// scene has the host give no time at all, as a stopped offline host does.
class LongRunHost : public EngineHost {
  public:
    explicit LongRunHost(float rate) : rate_(rate) {}

    void startScene(int scene) {
        tempo_ = 72.0 + 17.0 * scene;  // BPM, 72..327
        given_ = scene % 5 != 4;
        numerator_ = 3 + scene % 3;
    }
    void advance(int32_t frames) { ppq_ += frames * tempo_ / 60.0 / rate_; }

    bool readHostTime(HostTime& time) override {
        if (!given_) return false;
        time.ppqPos = ppq_;
        time.tempo = tempo_;
        time.timeSigNumerator = numerator_;
        time.barStartPos = std::floor(ppq_ / numerator_) * numerator_;
        return true;
    }
    void report(int32_t, float) override { ++reports; }

    long reports = 0;

  private:
    float rate_;
    double ppq_ = 0.0;
    double tempo_ = 120.0;
    int32_t numerator_ = 4;
    bool given_ = true;
};

// Choice `k` of a choice parameter, as a normalised value well inside its step.
inline float choiceValue(int32_t index, int k) {
    const ChoiceList* list = choiceList(index);
    return std::min(1.0f, (float(k) + 0.5f) / float(list->scale));
}

// Scene `scene` (0..15): its program, then the trigger and LFO settings on top.
inline void applyScene(EngineRig& rig, int scene) {
    rig.selectProgram(scene);
    rig.set(kTrigSource, choiceValue(kTrigSource, scene % 6));
    rig.set(kStartMode, choiceValue(kStartMode, scene % 3));
    rig.set(kEndMode, choiceValue(kEndMode, (scene / 3) % 3));
    rig.set(kLfoFreqSource, choiceValue(kLfoFreqSource, scene % 5));
    rig.set(kLfoSync, choiceValue(kLfoSync, (scene / 2) % 3));
    rig.set(kLfoSyncFlip, float(scene % 2));
    rig.set(kLfoMod, float((scene * 7) % 16) / 15.0f);
    rig.set(kLfoFreq, float((scene * 5) % 16) / 15.0f);
    rig.set(kLfoDelay, float((scene * 3) % 16) / 15.0f);
    rig.set(kThreshold, scene % 4 == 0 ? 1.0f : float(scene) / 32.0f);
    rig.set(kStartEqualsEnd, scene % 7 == 6 ? 1.0f : 0.0f);
}

// What a render saw.
struct LongRunResult {
    double seconds = 0.0;  // s of audio rendered
    long long frames = 0;
    long long badOutputs = 0;  // samples that were NaN, infinite or subnormal
    // ns per frame over the first and the last minute of audio: the mean, and
    // the median block's, which a busy machine's preemptions barely move.
    double firstMinuteNs = 0.0;
    double lastMinuteNs = 0.0;
    double firstMinuteMedianNs = 0.0;
    double lastMinuteMedianNs = 0.0;
    long reports = 0;
};

// A sample that has drifted: not a number, infinite, or subnormal.
inline bool drifted(double x) {
    const int kind = std::fpclassify(x);
    return kind == FP_NAN || kind == FP_INFINITE || kind == FP_SUBNORMAL;
}

// The time spent on each block of one minute of audio.
struct MinuteCost {
    std::vector<double> blockNs;

    double meanNsPerFrame() const {
        double sum = 0.0;
        for (const double ns : blockNs) sum += ns;
        return blockNs.empty() ? 0.0 : sum / double(blockNs.size()) / kLongRunBlock;
    }
    double medianNsPerFrame() {
        if (blockNs.empty()) return 0.0;
        auto middle = blockNs.begin() + std::ptrdiff_t(blockNs.size() / 2);
        std::nth_element(blockNs.begin(), middle, blockNs.end());
        return *middle / kLongRunBlock;
    }
};

// Renders `seconds` of audio (whole blocks) at `rate` through `rig`, whose
// engine reports to `host`.
inline LongRunResult renderLongRun(EngineRig& rig, LongRunHost& host, float rate, double seconds) {
    using Clock = std::chrono::steady_clock;
    const std::vector<float> input = burstSignal(kLongRunInput, 11);
    std::vector<float> left(kLongRunBlock), right(kLongRunBlock);
    const long long total = (long long)std::llround(seconds * rate);
    const long long minute = (long long)std::llround(60.0 * rate);
    const long long sceneFrames = (long long)std::llround(kSceneSeconds * rate);
    LongRunResult result;
    MinuteCost first, last;
    first.blockNs.reserve(size_t(minute / kLongRunBlock + 1));
    last.blockNs.reserve(size_t(minute / kLongRunBlock + 1));
    size_t at = 0;
    int scene = -1;
    for (long long done = 0; done < total; done += kLongRunBlock) {
        const int due = int((done % minute) / sceneFrames) % kScenesPerMinute;
        if (due != scene) {
            scene = due;
            host.startScene(scene);
            applyScene(rig, scene);
        }
        if (at + kLongRunBlock > input.size()) at = 0;
        const auto start = Clock::now();
        rig.engine().processReplacing(input.data() + at, input.data() + at, left.data(),
                                      right.data(), kLongRunBlock);
        const double spent = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        if (done < minute) first.blockNs.push_back(spent);
        if (done >= total - minute) last.blockNs.push_back(spent);
        for (int32_t i = 0; i < kLongRunBlock; ++i) {
            result.badOutputs += drifted(left[i]) + drifted(right[i]);
        }
        host.advance(kLongRunBlock);
        at += kLongRunBlock;
        result.frames += kLongRunBlock;
    }
    result.seconds = double(result.frames) / rate;
    result.firstMinuteNs = first.meanNsPerFrame();
    result.lastMinuteNs = last.meanNsPerFrame();
    result.firstMinuteMedianNs = first.medianNsPerFrame();
    result.lastMinuteMedianNs = last.medianNsPerFrame();
    result.reports = host.reports;
    return result;
}

// The names of the engine's floating-point state fields that hold NaN, an
// infinity or a subnormal number; empty when none does.
inline std::vector<const char*> driftedStateFields(Engine& e) {
    const std::pair<const char*, double> fields[] = {
        {"centerVol", e.centerVol},
        {"dryWet", e.dryWet},
        {"stereo", e.stereo},
        {"startTarget", e.startTarget},
        {"endTarget", e.endTarget},
        {"attackStep", e.attackStep},
        {"decayStep", e.decayStep},
        {"envelopePosition", e.envelopePosition},
        {"lfoOffset", e.lfoOffset},
        {"rawPan", e.rawPan},
        {"panPosition", e.panPosition},
        {"lfoSin", e.lfoSin},
        {"lfoCos", e.lfoCos},
        {"lfoPrevSin", e.lfoPrevSin},
        {"lfoOutput", e.lfoOutput},
        {"lfoHeldOutput", e.lfoHeldOutput},
        {"lfoBlend", e.lfoBlend},
        {"lfoDelayRamp", e.lfoDelayRamp},
        {"lfoDelayLevel", e.lfoDelayLevel},
        {"lfoPhaseStep", e.lfoPhaseStep},
        {"samplesToNextBar", e.samplesToNextBar},
        {"samplesPerBeat", e.samplesPerBeat},
        {"samplesPerBar", e.samplesPerBar},
        {"samplesToNextGridLine", e.samplesToNextGridLine},
        {"lastPpqPos", e.lastPpqPos},
        {"detEnvelope", e.detEnvelope},
        {"detSegmentPeak", e.detSegmentPeak},
        {"detReference", e.detReference},
        {"detDisplayLevel", e.detDisplayLevel},
        {"detDisplayStep", e.detDisplayStep},
        {"detMinimum", e.detMinimum},
        {"detRise", e.detRise},
    };
    std::vector<const char*> bad;
    for (const auto& [name, value] : fields) {
        if (drifted(value)) bad.push_back(name);
    }
    return bad;
}

}  // namespace tavolu::testing
