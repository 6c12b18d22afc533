// Every way a run can fail: one line on the error stream, a non-zero exit,
// and nothing left behind in the output's folder.
#include <algorithm>

#include "tests/tools/host_test_support.h"

using namespace hosttest;

namespace {

class Errors : public FakePluginFixture {
  protected:
    void SetUp() override {
        FakePluginFixture::SetUp();
        input_ = place("in.wav");
        writeFile(input_, makeAudio(2, 44100, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2000));
    }

    // Runs, then checks the shape of the failure and that the folder holds
    // only what the test put there.
    void expectFailure(const std::vector<std::string>& args, int code, const std::string& text) {
        const RunResult r = runHost(args);
        EXPECT_EQ(r.code, code);
        EXPECT_EQ(r.err.rfind("tavolu-host: error: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        auto names = dir_.entries();
        std::sort(names.begin(), names.end());
        std::sort(placed_.begin(), placed_.end());
        EXPECT_EQ(names, placed_);
    }

    // A file the test itself puts in the folder.
    std::string place(const std::string& name) {
        placed_.push_back(name);
        return dir_.file(name);
    }

    std::string input_;
    std::vector<std::string> placed_;
};

}  // namespace

TEST_F(Errors, CommandLineMistakesExitWithTwo) {
    expectFailure({input_, "--tempo", "fast"}, 2, "--tempo expects");
    expectFailure({"--what"}, 2, "unknown option");
}

TEST_F(Errors, InputFilesThatCannotBeRendered) {
    expectFailure({dir_.file("missing.wav"), "-o", dir_.file("o.wav")}, 1, "no such file");

    { std::ofstream(place("text.wav")) << "this is not audio at all, just some words"; }
    expectFailure({dir_.file("text.wav"), "-o", dir_.file("o.wav")}, 1, "cannot read");

    writeFile(place("sound.au"), makeAudio(2, 8000, SF_FORMAT_AU | SF_FORMAT_PCM_16, 100));
    expectFailure({dir_.file("sound.au"), "-o", dir_.file("o.au")}, 1, "unsupported file format");

    writeFile(place("three.wav"), makeAudio(3, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 100));
    expectFailure({dir_.file("three.wav"), "-o", dir_.file("o.wav")}, 1, "3 channels");

    const std::string locked = place("locked.wav");
    writeFile(locked, makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 100));
    fs::permissions(locked, fs::perms::none);
    if (getuid() != 0) {  // root reads anything
        expectFailure({locked, "-o", dir_.file("o.wav")}, 1, "cannot read");
    }
    fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(Errors, NamesTheLoadedPluginDoesNotKnow) {
    const std::string out = dir_.file("o.wav");
    expectFailure({input_, out, "--program", "Ping Pong"}, 1, "unknown program \"Ping Pong\"");
    expectFailure({input_, out, "--program", "3"}, 1, "no program 3");
    expectFailure({input_, out, "--program", "-1"}, 1, "no program -1");
    expectFailure({input_, out, "--program", "1.5"}, 1, "no program 1.5");
    expectFailure({input_, out, "-p", "Volume=0.5"}, 1, "unknown parameter \"Volume\"");
    expectFailure({"--list", "-p", "Volume=0.5"}, 1, "unknown parameter");
}

TEST_F(Errors, ValuesThatDoNotParse) {
    const std::string out = dir_.file("o.wav");
    expectFailure({input_, out, "-p", "Mode=Sideways"}, 1,
                  "one of: \"Pass\", \"Swap\", \"Silence\"");
    expectFailure({input_, out, "-p", "Gain=loud"}, 1, "neither a number from 0 to 1");
    expectFailure({input_, out, "-p", "Gain=1.5"}, 1, "outside 0 to 1");
    expectFailure({input_, out, "-p", "Gain=-0.1"}, 1, "outside 0 to 1");
    expectFailure({input_, out, "-p", "Gain=nan"}, 1, "outside 0 to 1");
}

TEST_F(Errors, PluginsThatFailToLoad) {
    const std::string out = dir_.file("o.wav");
    expectFailure({input_, out, "--plugin", dir_.file("none.so")}, 1, "cannot load plug-in");
    { std::ofstream(place("junk.so")) << "not an ELF file"; }
    expectFailure({input_, out, "--plugin", dir_.file("junk.so")}, 1, "cannot load plug-in");
    expectFailure({input_, out, "--plugin", FAKE_PLUGIN_NO_ENTRY}, 1,
                  "exports neither VSTPluginMain nor main");
    expectFailure({input_, out, "--plugin", FAKE_PLUGIN_NULL_EFFECT}, 1, "refused to create");
    expectFailure({input_, out, "--plugin", FAKE_PLUGIN_BAD_MAGIC}, 1, "wrong magic");

    // Not a failure: an older plug-in whose entry point is only "main".
    const RunResult r = runHost({input_, out, "--plugin", FAKE_PLUGIN_MAIN_ONLY});
    EXPECT_EQ(r.code, 0) << r.err;
}

TEST_F(Errors, OutputsThatCannotBeWrittenLeaveNothingBehind) {
    expectFailure({input_, dir_.file("no/such/folder/o.wav")}, 1, "cannot write");
    // The audio would be fine, but the picture cannot be written: fail before
    // rendering rather than leave half of what was asked for.
    expectFailure({input_, dir_.file("o.wav"), "--plot", dir_.file("nowhere/p.png")}, 1,
                  "cannot write");
    expectFailure({input_, dir_.file("o.wav"), "--editor-png", dir_.file("nowhere/e.png")}, 1,
                  "cannot write");
    EXPECT_TRUE(mainJournal().blockFrames.empty());
}

// The picture would replace the audio just written, or the input itself, and
// the run would still say it wrote both.
TEST_F(Errors, APlotNamingTheOutputOrTheInputIsRefused) {
    const auto inputSize = fs::file_size(input_);
    const std::string out = dir_.file("o.wav");
    expectFailure({input_, out, "--plot", out}, 2, "--plot names the output");
    expectFailure({input_, "-o", out, "--plot", dir_.file("./o.wav")}, 2,
                  "--plot names the output");
    expectFailure({input_, "--plot", dir_.file("in-panned.wav")}, 2, "--plot names the output");
    expectFailure({input_, out, "--plot", input_}, 2, "--plot names the input");
    EXPECT_EQ(fs::file_size(input_), inputSize);
}

TEST_F(Errors, AnEditorPictureNamingAnotherFileOfTheRunIsRefused) {
    const auto inputSize = fs::file_size(input_);
    const std::string out = dir_.file("o.wav");
    const std::string plot = dir_.file("p.png");
    expectFailure({input_, out, "--editor-png", out}, 2, "--editor-png names the output");
    expectFailure({input_, "--editor-png", dir_.file("in-panned.wav")}, 2,
                  "--editor-png names the output");
    expectFailure({input_, out, "--editor-png", input_}, 2, "--editor-png names the input");
    expectFailure({input_, out, "--plot", plot, "--editor-png", dir_.file("./p.png")}, 2,
                  "--editor-png names the plot");
    EXPECT_EQ(fs::file_size(input_), inputSize);
}

// Both are known before the render: failing after it would waste the work.
TEST_F(Errors, AnEditorPictureNeedsAnEditorAndTheXServer) {
    const std::string out = dir_.file("o.wav");
    const std::string png = dir_.file("e.png");
    {
        LoadedFake noEditor(FAKE_PLUGIN_NO_EDITOR);
        ASSERT_NE(noEditor.journals, nullptr);
        expectFailure({input_, out, "--plugin", FAKE_PLUGIN_NO_EDITOR, "--editor-png", png}, 1,
                      "has no editor");
        EXPECT_TRUE(noEditor.journals->at(0).blockFrames.empty());
    }
    {
        ScopedEnvironment noServer("PATH", dir_.path().string());
        expectFailure({input_, out, "--editor-png", png}, 1,
                      "needs the X server Xvfb, which is not on PATH (install the Debian "
                      "package xvfb)");
    }
    {
        // A server that ends at once: its last word is the reason given.
        TempDir bin;
        std::ofstream(bin.file("Xvfb")) << "#!/bin/sh\necho starting >&2\n"
                                           "echo no screens found >&2\nexit 1\n";
        fs::permissions(bin.file("Xvfb"), fs::perms::owner_all);
        ScopedEnvironment brokenServer("PATH", bin.path().string());
        expectFailure({input_, out, "--editor-png", png}, 1, "did not start: no screens found");
    }
    EXPECT_TRUE(mainJournal().blockFrames.empty());
    EXPECT_TRUE(noChildProcessLeft());
}

TEST(HostExecutable, ExitCodesAndStreamsOfTheBuiltProgram) {
    RunResult r = runExecutable("--help");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("usage: tavolu-host"), std::string::npos);
    r = runExecutable("--bogus");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "tavolu-host: error: unknown option \"--bogus\" (see --help)\n");
    r = runExecutable("--list --plugin /nonexistent/plugin.so");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("tavolu-host: error: cannot load plug-in /nonexistent/plugin.so", 0), 0u);
    r = runExecutable(std::string("--list --plugin '") + FAKE_PLUGIN + "'");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Fake Gain"), std::string::npos);
}
