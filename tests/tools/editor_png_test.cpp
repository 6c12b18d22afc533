// The editor's picture: the fake plug-in's editor opened in the host's own X
// server, idled while the audio runs, and read back as it looks at the end;
// the server gone afterwards, whichever way the run ends.
#include <algorithm>

#include "tests/tools/host_test_support.h"
#include "tests/tools/png_reader.h"

using namespace hosttest;

namespace {

constexpr int kRate = 8000;      // Hz
constexpr int kBlock = 80;       // frames: 10 ms
constexpr long kFrames = 24000;  // 3 s: 300 blocks
constexpr int kBlocks = kFrames / kBlock;

struct Colour {
    int r, g, b;
};
constexpr Colour rgbOf(unsigned long pixel) {
    return {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
}

int countColour(const Picture& pic, int left, int top, int right, int bottom, Colour c) {
    return pic.count(left, top, right, bottom, c.r, c.g, c.b);
}

class EditorPng : public FakePluginFixture {
  protected:
    void SetUp() override {
        FakePluginFixture::SetUp();
        writeFile(input_, makeAudio(2, kRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kFrames));
    }
    std::string input_ = dir_.file("in.wav");
    std::string output_ = dir_.file("out.wav");
    std::string png_ = dir_.file("editor.png");
};

}  // namespace

TEST_F(EditorPng, ThePictureShowsTheEditorAsItLooksAfterTheRender) {
    RunResult r;
    {
        // No display of the user's is needed, and none is left set.
        ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
        r = runHost({input_, output_, "--block", std::to_string(kBlock), "--editor-png", png_});
        EXPECT_EQ(std::getenv("DISPLAY"), nullptr);
    }
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("wrote " + png_), std::string::npos) << r.out;

    const Picture pic = readPng(png_);
    ASSERT_TRUE(pic.valid);
    ASSERT_EQ(pic.width, fake::kEditorWidth);
    ASSERT_EQ(pic.height, fake::kEditorHeight);
    constexpr int m = fake::kEditorMarker;
    const int w = pic.width, h = pic.height;
    EXPECT_EQ(countColour(pic, w - m, h - m, w, h, rgbOf(fake::kEditorMarkerColour)), m * m);
    EXPECT_EQ(countColour(pic, 0, 0, w, h, rgbOf(fake::kEditorColour)), w * h - m * m);

    const fake::Journal& j = mainJournal();
    EXPECT_EQ(j.editorDisplay.rfind(':', 0), 0u) << j.editorDisplay;
    // Opened once the plug-in runs, closed last.
    const auto open = std::find(j.calls.begin(), j.calls.end(), "edit open");
    ASSERT_NE(open, j.calls.end());
    EXPECT_NE(std::find(j.calls.begin(), open, "resume"), open);
    EXPECT_EQ(j.calls.back(), "edit close");

    // Idled between blocks about every 1/30 s of audio (3.3 blocks here),
    // then a few times more at the end.
    const auto during =
        std::count_if(j.idleBlocks.begin(), j.idleBlocks.end(), [](int b) { return b < kBlocks; });
    EXPECT_GE(during, 88);
    EXPECT_LE(during, 90);
    EXPECT_GE(static_cast<long>(j.idleBlocks.size()) - during, 4);
    EXPECT_GE(j.idleBlocks.front(), 3);
    for (std::size_t i = 1; i < static_cast<std::size_t>(during); ++i) {
        const int gap = j.idleBlocks[i] - j.idleBlocks[i - 1];
        EXPECT_TRUE(gap == 3 || gap == 4) << "idle " << i << " after " << gap << " blocks";
    }

    EXPECT_TRUE(noChildProcessLeft());
    auto names = dir_.entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"editor.png", "in.wav", "out.wav"}));
}

// One idle per block when a block is longer than the idle interval: a burst
// of idles in a row would show the editor nothing new.
TEST_F(EditorPng, LongBlocksGetOneIdleEach) {
    ASSERT_EQ(runHost({input_, output_, "--block", "4000", "--editor-png", png_}).code, 0);
    const std::vector<int>& idles = mainJournal().idleBlocks;
    ASSERT_GE(idles.size(), 6u);
    for (int block = 1; block <= 6; ++block) EXPECT_EQ(idles[block - 1], block);
}

// A render that fails once the editor is open still closes it and ends the
// server, and writes nothing.
TEST_F(EditorPng, TheServerGoesWhenTheRenderFails) {
    LoadedFake unfed(FAKE_PLUGIN_NO_OUTPUTS);
    ASSERT_NE(unfed.journals, nullptr);
    const std::optional<std::string> before =
        std::getenv("DISPLAY") ? std::optional<std::string>(std::getenv("DISPLAY")) : std::nullopt;
    const RunResult r =
        runHost({input_, output_, "--plugin", FAKE_PLUGIN_NO_OUTPUTS, "--editor-png", png_});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot feed"), std::string::npos) << r.err;
    const std::vector<std::string>& calls = unfed.journals->at(0).calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "edit open"), calls.end());
    EXPECT_EQ(calls.back(), "edit close");
    EXPECT_TRUE(noChildProcessLeft());
    const char* after = std::getenv("DISPLAY");
    EXPECT_EQ(after ? std::optional<std::string>(after) : std::nullopt, before);
    EXPECT_EQ(dir_.entries(), std::vector<std::string>{"in.wav"});
}
