#include "tools/host/demo_signal.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>

using namespace tavolu::host;

namespace {

constexpr long kFramesPerBeat = 22050;  // at 44,100 Hz and 120 BPM

double peakBetween(const Audio& a, long from, long to) {
    double peak = 0.0;
    for (long f = std::max(from, 0L); f < std::min(to, a.frames()); ++f)
        peak = std::max(peak, std::fabs(double{a.samples[2 * f]}));
    return peak;
}

}  // namespace

TEST(DemoSignal, FourBarsOfFourFourAtOneTwentyAsSixteenBitStereoWav) {
    const Audio a = demoDrumLoop();
    EXPECT_EQ(a.sampleRate, 44100);
    EXPECT_EQ(a.channels, 2);
    EXPECT_EQ(a.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(a.frames(), 4 * 4 * kFramesPerBeat);  // 8 seconds
}

TEST(DemoSignal, SameSamplesOnEveryCallAndOnBothChannels) {
    const Audio a = demoDrumLoop();
    const Audio b = demoDrumLoop();
    ASSERT_EQ(a.samples, b.samples);
    for (long f = 0; f < a.frames(); ++f) ASSERT_EQ(a.samples[2 * f], a.samples[2 * f + 1]) << f;
    const auto [lo, hi] = std::minmax_element(a.samples.begin(), a.samples.end());
    EXPECT_GT(*hi, 0.5f);
    EXPECT_LT(*hi, 1.0f);  // stays clear of clipping
    EXPECT_GT(*lo, -1.0f);
}

TEST(DemoSignal, KicksAndSnaresFallOnTheBeatsOfEveryBar) {
    const Audio a = demoDrumLoop();
    const long tenMs = 441;
    for (int bar = 0; bar < 4; ++bar) {
        const long start = bar * 4 * kFramesPerBeat;
        EXPECT_GT(peakBetween(a, start, start + 4 * tenMs), 0.5) << "kick on 1, bar " << bar;
        EXPECT_GT(peakBetween(a, start + kFramesPerBeat, start + kFramesPerBeat + 4 * tenMs), 0.3)
            << "snare on 2, bar " << bar;
        EXPECT_GT(
            peakBetween(a, start + 2 * kFramesPerBeat, start + 2 * kFramesPerBeat + 4 * tenMs), 0.5)
            << "kick on 3, bar " << bar;
        if (bar > 0) {  // only hi-hat tails ring into a bar line
            EXPECT_LT(peakBetween(a, start - 10 * tenMs, start), 0.15) << "before bar " << bar;
        }
    }
}
