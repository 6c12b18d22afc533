// The host against the plug-in this project builds: what a user sees first.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/png_reader.h"
#include "tools/host/audio_file.h"
#include "tools/host/host_app.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int code;
    std::string out, err;
};

RunResult run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = tavolu::host::runHost(args, TAVOLU_PLUGIN, out, err);
    return {code, out.str(), err.str()};
}

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "tavolu-real-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

}  // namespace

TEST(RealPlugin, ListShowsIdentityAndAllTwentyParameters) {
    const RunResult r = run({"--list"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Effect:      Tavolu\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Vendor:      Grivent\n"), std::string::npos);
    EXPECT_NE(r.out.find("Product:     Tavolu08\n"), std::string::npos);
    EXPECT_NE(r.out.find("0x77337A38 'w3z8'"), std::string::npos);
    EXPECT_NE(r.out.find("Parameters:  20\n"), std::string::npos);
    for (const char* name :
         {"Start=End",   "End",           "Start",      "Attack",      "Hold",
          "Decay",       "Start Mode",    "End Mode",   "Trig Source", "Threshold",
          "Selectivity", "LFO Mod",       "LFO Delay",  "LFO Freq",    "LFO Freq Source",
          "LFO Sync",    "LFO Sync Flip", "Center Vol", "Dry-Wet",     "Stereo"})
        EXPECT_NE(r.out.find("  " + std::string(name) + " "), std::string::npos) << name;
}

TEST(RealPlugin, ProgramsAndChoiceTextsResolveAgainstThePlugin) {
    RunResult r = run({"--programs"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("0  Ping Pong\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("7  Random S&H\n"), std::string::npos);

    r = run({"--list", "--program", "Ping Pong", "-p", "Trig Source=Quarter Note", "-p",
             "Start Mode=Sample&Hold"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Program 0: Ping Pong"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Quarter Note"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Sample&Hold"), std::string::npos) << r.out;
}

// "Start=End" holds the '=' that separates a name from its value: the
// longest name that fits wins, and the shorter names are still reached.
TEST(RealPlugin, AParameterNameHoldingAnEqualsSignIsFoundWhole) {
    RunResult r = run({"--list", "-p", "Start=End=On"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("    0  Start=End          1.0000    On"), std::string::npos) << r.out;
    r = run({"--list", "-p", "start=0.2", "-p", "End=0.7"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("    0  Start=End          0.0000    Off"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    1  End                0.7000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    2  Start              0.2000"), std::string::npos) << r.out;
    r = run({"--list", "-p", "Start=End=Sideways"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("value \"Sideways\" for Start=End"), std::string::npos) << r.err;
}

TEST(RealPlugin, TheDemoRendersAndPans) {
    ScratchFolder dir;
    const RunResult r = run({"-o", dir.file("demo.wav"), "--plot", dir.file("demo.png")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir.file("demo.png")));
    tavolu::host::Audio out;
    std::string error;
    ASSERT_TRUE(tavolu::host::readAudioFile(dir.file("demo.wav"), out, error)) << error;
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(out.sampleRate, 44100);
    EXPECT_EQ(out.frames(), 352800);
    // The loop is the same on both inputs; panning makes the outputs differ.
    double left = 0.0, right = 0.0, difference = 0.0;
    for (long f = 0; f < out.frames(); ++f) {
        const double l = out.samples[2 * f], rr = out.samples[2 * f + 1];
        left += l * l;
        right += rr * rr;
        difference += (l - rr) * (l - rr);
    }
    EXPECT_GT(left, 0.0);
    EXPECT_GT(right, 0.0);
    EXPECT_GT(difference, 0.05 * (left + right));
}

// What the editor draws is its own business; the host's part is a picture of
// the whole editor rectangle.
TEST(RealPlugin, TheEditorPictureHasTheEditorsSize) {
    ScratchFolder dir;
    const RunResult r = run({"-o", dir.file("demo.wav"), "--editor-png", dir.file("editor.png")});
    ASSERT_EQ(r.code, 0) << r.err;
    const hosttest::Picture pic = hosttest::readPng(dir.file("editor.png"));
    ASSERT_TRUE(pic.valid);
    EXPECT_EQ(pic.width, 465);
    EXPECT_EQ(pic.height, 360);
}
