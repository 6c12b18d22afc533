// The picture of a render: a PNG of the promised size whose lanes show where
// the sound went.
#include "tools/host/plot.h"

#include "tests/tools/host_test_support.h"
#include "tests/tools/png_reader.h"

using namespace hosttest;

namespace {

// Lane bands, as the plot lays them out.
constexpr int kInputLane[2] = {48, 172};
constexpr int kLeftLane[2] = {186, 310};
constexpr int kRightLane[2] = {324, 448};
constexpr int kPanLane[2] = {462, 546};
constexpr int kPanTrace[3] = {128, 60, 170};

class Plot : public FakePluginFixture {};

}  // namespace

TEST_F(Plot, AValidPngOfThePromisedSize) {
    writeFile(dir_.file("in.wav"), makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000));
    const RunResult r = runHost({dir_.file("in.wav"), "--plot", dir_.file("p.png")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("wrote " + dir_.file("p.png")), std::string::npos);
    const Picture pic = readPng(dir_.file("p.png"));
    ASSERT_TRUE(pic.valid);
    EXPECT_EQ(pic.width, tavolu::host::kPlotWidth);
    EXPECT_EQ(pic.height, tavolu::host::kPlotHeight);
    // Sound on both sides: blue in the left lane, orange in the right one.
    EXPECT_GT(pic.count(kLeftLane[0], kLeftLane[1], 40, 104, 214), 1000);
    EXPECT_GT(pic.count(kRightLane[0], kRightLane[1], 222, 100, 30), 1000);
}

TEST_F(Plot, SilentOutputLeavesItsLanesEmpty) {
    writeFile(dir_.file("in.wav"), makeAudio(1, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000));
    ASSERT_EQ(
        runHost({dir_.file("in.wav"), "-p", "Mode=Silence", "--plot", dir_.file("p.png")}).code, 0);
    const Picture pic = readPng(dir_.file("p.png"));
    ASSERT_TRUE(pic.valid);
    EXPECT_EQ(pic.count(kLeftLane[0], kLeftLane[1], 40, 104, 214), 0);
    EXPECT_EQ(pic.count(kRightLane[0], kRightLane[1], 222, 100, 30), 0);
    EXPECT_GT(pic.count(kInputLane[0], kInputLane[1], 112, 112, 118),
              1000);  // the input is still drawn
}

TEST_F(Plot, AnEmptyFileStillGivesAPicture) {
    writeFile(dir_.file("in.wav"), makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0));
    ASSERT_EQ(runHost({dir_.file("in.wav"), "--plot", dir_.file("p.png")}).code, 0);
    EXPECT_TRUE(readPng(dir_.file("p.png")).valid);
}

TEST_F(Plot, ThePanTraceSitsOnTheSideTheSoundCameOutOf) {
    tavolu::host::Audio a = makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000);
    for (long f = 0; f < a.frames(); ++f) a.samples[2 * f + 1] = 0.0f;  // left only
    writeFile(dir_.file("in.wav"), a);
    const int third = (kPanLane[1] - kPanLane[0]) / 3;
    auto traceIn = [](const Picture& pic, int top, int bottom) {
        return pic.count(top, bottom, kPanTrace[0], kPanTrace[1], kPanTrace[2]);
    };

    ASSERT_EQ(runHost({dir_.file("in.wav"), "--plot", dir_.file("left.png")}).code, 0);
    const Picture left = readPng(dir_.file("left.png"));
    EXPECT_GT(traceIn(left, kPanLane[0], kPanLane[0] + third), 1000);
    EXPECT_EQ(traceIn(left, kPanLane[0] + third, kPanLane[1]), 0);

    ASSERT_EQ(
        runHost({dir_.file("in.wav"), "-p", "Mode=Swap", "--plot", dir_.file("right.png")}).code,
        0);
    const Picture right = readPng(dir_.file("right.png"));
    EXPECT_GT(traceIn(right, kPanLane[1] - third, kPanLane[1]), 1000);
    EXPECT_EQ(traceIn(right, kPanLane[0], kPanLane[1] - third), 0);
}

// The render hands the plot its frames a block at a time: the envelopes
// must not depend on the block size, and a file shorter than it promised
// leaves its last columns empty.
TEST(PlotEnvelopes, TheSameWhateverTheBlocksAndEmptyWhereTheFileFellShort) {
    using tavolu::host::EnvelopeGatherer;
    for (long frames : {300L, 5000L}) {  // fewer and more frames than columns
        SCOPED_TRACE(frames);
        const tavolu::host::Audio a = makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_FLOAT, frames);
        EnvelopeGatherer whole(frames, -1);
        whole.add(a.samples.data(), 2, frames);
        for (long block : {1L, 7L, 512L}) {
            EnvelopeGatherer pieces(frames, -1);
            for (long at = 0; at < frames; at += block)
                pieces.add(a.samples.data() + at * 2, 2, std::min(block, frames - at));
            EXPECT_EQ(pieces.envelope().peak, whole.envelope().peak) << block;
            EXPECT_EQ(pieces.envelope().rms, whole.envelope().rms) << block;
        }
        EnvelopeGatherer half(frames, 1);
        half.add(a.samples.data(), 2, frames / 2);
        const auto peak = half.envelope().peak;
        EXPECT_GT(peak.front(), 0.0);
        EXPECT_EQ(peak.back(), 0.0);
    }
}
