// An input cut short or damaged must not render short without a word: the
// run says how much is missing and fails, unless --keep-going asks for what
// there is. A note-on past the end is named too.
#include <algorithm>

#include "tests/tools/host_test_support.h"

using namespace hosttest;

namespace {

constexpr long kFrames = 20000;

class InputFaults : public FakePluginFixture {
  protected:
    // The first bytes of a complete file, as a copy cut short would hold;
    // keep 0 keeps half.
    std::string cutCopy(const std::string& name, int format, std::uintmax_t keep) {
        const std::string whole = dir_.file("whole-" + name);
        writeFile(whole, makeAudio(2, 8000, format, kFrames));
        const std::string cut = dir_.file(name);
        fs::copy_file(whole, cut);
        fs::resize_file(cut, keep ? keep : fs::file_size(whole) / 2);
        return cut;
    }
    bool outputLeft(const std::string& out) const { return fs::exists(out); }
};

}  // namespace

TEST_F(InputFaults, ACutFileFailsNamingTheMissingFramesAndLeavesNoOutput) {
    // 44 bytes of header, 4 bytes a frame: 5000 of the 20000 frames stay.
    const std::string wav = cutCopy("cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44 + 5000 * 4);
    const std::string out = dir_.file("o.wav");
    RunResult r = runHost({wav, "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cut.wav is cut short or damaged: 15000 of its 20000 frames are missing; "
                         "--keep-going renders what there is"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(outputLeft(out));

    const std::string aiff = cutCopy("cut.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 30000);
    r = runHost({aiff, "-o", dir_.file("o.aiff")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("frames are missing"), std::string::npos) << r.err;

    const std::string flac = cutCopy("cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0);
    r = runHost({flac, "-o", dir_.file("o.flac")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("of its 20000 frames are missing"), std::string::npos) << r.err;
    auto names = dir_.entries();
    EXPECT_EQ(
        std::count_if(names.begin(), names.end(),
                      [](const std::string& n) { return n.rfind("o.", 0) == 0 || n[0] == '.'; }),
        0);
}

TEST_F(InputFaults, KeepGoingRendersWhatThereIsWithAWarning) {
    const std::string wav = cutCopy("cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44 + 5000 * 4);
    const std::string out = dir_.file("o.wav");
    const RunResult r = runHost({wav, "-o", out, "--keep-going", "--plot", dir_.file("p.png")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err,
              "tavolu-host: warning: " + wav +
                  " is cut short or damaged: 15000 of its 20000 frames are missing; rendered "
                  "the 5000 frames there are\n");
    EXPECT_EQ(readFile(out).frames(), 5000);
    EXPECT_TRUE(fs::exists(dir_.file("p.png")));
}

// Bytes overwritten in the middle of a FLAC stream: the decoder skips what
// it cannot read, and the frames it dropped are counted.
TEST_F(InputFaults, ADamagedFlacFails) {
    const std::string whole = dir_.file("whole.flac");
    writeFile(whole, makeAudio(2, 8000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kFrames));
    const std::string damaged = dir_.file("damaged.flac");
    fs::copy_file(whole, damaged);
    {
        std::fstream f(damaged, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(fs::file_size(damaged) / 2));
        for (int i = 0; i < 400; ++i) f.put(static_cast<char>((i * 73 + 11) & 0xFF));
    }
    RunResult r = runHost({damaged, "-o", dir_.file("o.flac")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("damaged.flac is cut short or damaged"), std::string::npos) << r.err;
    r = runHost({damaged, "-o", dir_.file("o.flac"), "--keep-going"});
    EXPECT_EQ(r.code, 0);
    EXPECT_LT(readFile(dir_.file("o.flac")).frames(), kFrames);
}

TEST_F(InputFaults, ANoteOnPastTheEndIsNamed) {
    const std::string in = dir_.file("in.wav");
    writeFile(in, makeAudio(2, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000));  // 2 s
    const RunResult r = runHost({in, "--note-on", "1,2,7.5"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err,
              "tavolu-host: warning: the note-on at 2 s lies past the end of the input (2 s) and "
              "is left out\n"
              "tavolu-host: warning: the note-on at 7.5 s lies past the end of the input (2 s) "
              "and is left out\n");
    EXPECT_EQ(mainJournal().events.size(), 1u);
}
