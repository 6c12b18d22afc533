// Bar and grid lines on a running transport: each fires once, on the sample
// that holds it, however the host cuts the audio into blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/engine/engine_fixture.h"

namespace tavolu::testing {
namespace {

constexpr int32_t kPingPong = 0;  // program: "Flip" end mode, so every trigger changes sides

struct Transport {
    int32_t rate;   // Hz
    int32_t tempo;  // beats per minute
    int32_t grid;   // "Trig Source" 1..4: half, quarter, eighth, sixteenth note
    int32_t beatsPerBar;
};

// The position a host derives from its sample count, as hosts do.
HostTime timeAt(const Transport& t, int64_t sample) {
    const double ppq = static_cast<double>(sample) / t.rate * t.tempo / 60.0;
    const double bar = std::floor(ppq / t.beatsPerBar) * t.beatsPerBar;
    return HostTime{ppq, static_cast<double>(t.tempo), bar, t.beatsPerBar};
}

struct Render {
    std::vector<float> left, right;
    std::vector<int64_t> triggers;  // samples on which a trigger fired (block size 1 only)
};

Render render(const Transport& t, int64_t frames, int block) {
    FakeHost host;
    host.recordReports = false;
    EngineRig rig(&host, static_cast<float>(t.rate), kPingPong);
    rig.set(kTrigSource, (static_cast<float>(t.grid) + 0.5f) / 5.0f);
    Engine& e = rig.engine();
    Render out;
    out.left.assign(static_cast<size_t>(frames), 0.1f);  // steady, never silent, no onsets
    out.right = out.left;
    for (int64_t at = 0; at < frames; at += block) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(block, frames - at));
        host.time = timeAt(t, at);
        float* l = out.left.data() + at;
        float* r = out.right.data() + at;
        e.processReplacing(l, r, l, r, n);
        if (block == 1 && e.samplesSinceTrigger == 0) out.triggers.push_back(at);
    }
    return out;
}

// Grid lines from the start at ppq 0, in whole samples: line k lies at
// k * beats * 60 * rate / tempo and fires on the sample that holds it. The
// start itself is a bar start, which counts as passed.
std::vector<int64_t> expectedLines(const Transport& t, int64_t frames) {
    static constexpr int64_t kQuartersOfBeat[] = {0, 8, 4, 2, 1};  // grid in quarter beats
    std::vector<int64_t> lines;
    for (int64_t k = 1;; ++k) {
        const int64_t sample = k * kQuartersOfBeat[t.grid] * 15 * t.rate / t.tempo;
        if (sample >= frames) return lines;
        lines.push_back(sample);
    }
}

size_t firstDifference(const Render& a, const Render& b) {
    size_t i = 0;
    while (i < a.left.size() && a.left[i] == b.left[i] && a.right[i] == b.right[i]) ++i;
    return i;
}

TEST(LineTiming, EachLineFiresOnceOnItsSampleWhateverTheBlockSize) {
    const Transport cases[] = {
        {44100, 120, 2, 4},  // every line on a whole sample, on many block starts
        {44100, 120, 4, 4},  // sixteenths of 5512.5 samples: lines on and between samples
        {44100, 97, 2, 4},
        {44100, 133, 3, 4},
        {44100, 173, 4, 4},
        {44100, 100, 1, 4},
        {48000, 125, 3, 3},
        {96000, 90, 2, 4},
        {49152, 180, 4, 4},  // a line every 4096 samples:
                             // every block of 4096 starts
                             // on one
        {44100, 240, 4, 4},  // several lines in each large block
    };
    const int blocks[] = {7, 64, 100, 441, 512, 1000, 4096, 8192};
    for (const Transport& t : cases) {
        const int64_t frames = 3 * static_cast<int64_t>(t.rate);
        const Render one = render(t, frames, 1);
        ASSERT_EQ(one.triggers, expectedLines(t, frames))
            << t.rate << " Hz, " << t.tempo << " BPM, grid " << t.grid;
        for (int block : blocks) {
            const Render r = render(t, frames, block);
            const size_t at = firstDifference(r, one);
            ASSERT_EQ(at, r.left.size()) << t.rate << " Hz, " << t.tempo << " BPM, grid " << t.grid
                                         << ", block " << block << ": differs from sample " << at;
        }
    }
}

}  // namespace
}  // namespace tavolu::testing
