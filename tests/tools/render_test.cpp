// Rendering files through the fake plug-in: formats, channels, blocks, MIDI
// and the time the host reports.
#include <algorithm>
#include <cmath>

#include "tests/tools/host_test_support.h"

using namespace hosttest;

namespace {

// Writes frames of distinct integer samples straight through libsndfile and
// returns them, left-aligned in 32 bits as sf_readf_int gives them back.
std::vector<int> writeIntFile(const std::string& path, int format, int channels, int rate,
                              long frames) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<int> samples(static_cast<std::size_t>(frames) * channels);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int value = static_cast<int>((i * 7919) % 60000) - 30000;  // 16-bit range
        samples[i] = value * 65536;
    }
    sf_writef_int(f, samples.data(), frames);
    sf_close(f);
    return samples;
}

struct FileContents {
    SF_INFO info{};
    std::vector<int> samples;
};

FileContents readIntFile(const std::string& path) {
    FileContents c;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &c.info);
    EXPECT_NE(f, nullptr) << path << ": " << sf_strerror(nullptr);
    if (!f) return c;
    c.samples.resize(static_cast<std::size_t>(c.info.frames) * c.info.channels);
    sf_readf_int(f, c.samples.data(), c.info.frames);
    sf_close(f);
    return c;
}

class Render : public FakePluginFixture {};

}  // namespace

TEST_F(Render, EachFormatComesBackInItsOwnFormatRateAndSamples) {
    const struct {
        const char* name;
        int format;
        int rate;
    } formats[] = {
        {"in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100},
        {"in.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000},
        {"in.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050},
        {"in24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        const std::string in = dir_.file(f.name);
        const std::vector<int> written = writeIntFile(in, f.format, 2, f.rate, 3000);
        const std::string out = dir_.file(std::string("out-") + f.name);
        const RunResult r = runHost({in, out, "--program", "Unity"});
        ASSERT_EQ(r.code, 0) << r.err;
        const FileContents c = readIntFile(out);
        EXPECT_EQ(c.info.format, f.format);
        EXPECT_EQ(c.info.samplerate, f.rate);
        EXPECT_EQ(c.info.channels, 2);
        EXPECT_EQ(c.info.frames, 3000);
        EXPECT_EQ(c.samples, written);  // a unity pass keeps every sample exact
    }
}

TEST_F(Render, TheProgramAndParametersReachTheAudio) {
    const std::string in = dir_.file("in.wav");
    const std::vector<int> written =
        writeIntFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000, 1000);

    ASSERT_EQ(runHost({in, dir_.file("half.wav"), "--program", "Half Gain"}).code, 0);
    const FileContents half = readIntFile(dir_.file("half.wav"));
    for (std::size_t i = 0; i < written.size(); ++i) {  // halves round to the even step
        const double halfStep = std::nearbyint(written[i] / 65536 / 2.0);
        ASSERT_EQ(half.samples[i], static_cast<int>(halfStep) * 65536) << i;
    }

    // A choice by its display text, a number for the other parameter.
    journals_->clear();
    const RunResult r = runHost({in, dir_.file("swap.wav"), "-p", "mode=Swap", "-p", "Gain=1"});
    ASSERT_EQ(r.code, 0) << r.err;
    const FileContents swap = readIntFile(dir_.file("swap.wav"));
    for (std::size_t f = 0; f < 1000; ++f) {
        ASSERT_EQ(swap.samples[2 * f], written[2 * f + 1]);
        ASSERT_EQ(swap.samples[2 * f + 1], written[2 * f]);
    }
    // The display search ran on a second instance; the rendering one got the
    // resolved values after the resume and its own program applied again.
    const auto& calls = mainJournal().calls;
    const std::vector<std::string> expected = {"resume",       "program 0",    "set 0 1.0000",
                                               "set 1 0.0000", "set 1 0.5000", "set 0 1.0000"};
    EXPECT_EQ(calls, expected);
}

TEST_F(Render, MonoInputFeedsBothInputsAndComesOutStereo) {
    const std::string in = dir_.file("mono.aiff");
    const std::vector<int> written =
        writeIntFile(in, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 11025, 777);
    const RunResult r = runHost({in, "-p", "Mode=Swap"});
    ASSERT_EQ(r.code, 0) << r.err;
    const FileContents c = readIntFile(dir_.file("mono-panned.aiff"));
    EXPECT_EQ(c.info.channels, 2);
    EXPECT_EQ(c.info.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    ASSERT_EQ(c.samples.size(), 2u * 777);
    for (std::size_t f = 0; f < 777; ++f) {
        ASSERT_EQ(c.samples[2 * f], written[f]);
        ASSERT_EQ(c.samples[2 * f + 1], written[f]);
    }
}

TEST_F(Render, FloatFilesPassUnchangedAndLoudSamplesAreNotWrapped) {
    tavolu::host::Audio a = makeAudio(2, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 600);
    a.samples[10] = 1.75f;  // beyond full scale: a float file keeps it
    writeFile(dir_.file("f.wav"), a);
    ASSERT_EQ(runHost({dir_.file("f.wav"), dir_.file("g.wav")}).code, 0);
    EXPECT_EQ(readFile(dir_.file("g.wav")).samples, a.samples);

    // The same overshoot into 16 bits clips instead of wrapping around.
    tavolu::host::Audio loud = a;
    loud.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    std::string error;
    ASSERT_TRUE(tavolu::host::writeAudioFile(dir_.file("loud.wav"), loud, error)) << error;
    EXPECT_EQ(readIntFile(dir_.file("loud.wav")).samples[10], 32767 * 65536);
}

TEST_F(Render, BlocksHaveTheChosenSizeAndTheHostSaysSoFirst) {
    const std::string in = dir_.file("in.wav");
    writeIntFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 32000, 1050);
    ASSERT_EQ(runHost({in, "--block", "100"}).code, 0);
    const fake::Journal& j = mainJournal();
    EXPECT_EQ(j.sampleRate, 32000.0f);
    EXPECT_EQ(j.blockSize, 100);
    EXPECT_EQ(j.resumes, 1);
    EXPECT_EQ(j.pinConnectedAnswer, 0);  // both inputs connected
    std::vector<int> expected(10, 100);
    expected.push_back(50);
    EXPECT_EQ(j.blockFrames, expected);
}

TEST_F(Render, NoteOnsArriveBeforeTheirBlockWithTheirOffset) {
    const std::string in = dir_.file("in.wav");
    writeIntFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000, 5000);
    // 0.1 s is frame 800 (block 1, offset 288); 0.5 s frame 4000 (block 7,
    // offset 416); 0.064 s frame 512, the first frame of block 1; 9 s is past
    // the end. The list need not be sorted.
    const RunResult r = runHost({in, "--note-on", "0.5,0.1,9,0.064"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto& ev = mainJournal().events;
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[0].block, 1);
    EXPECT_EQ(ev[0].deltaFrames, 0);
    EXPECT_EQ(ev[1].block, 1);
    EXPECT_EQ(ev[1].deltaFrames, 288);
    EXPECT_EQ(ev[2].block, 7);
    EXPECT_EQ(ev[2].deltaFrames, 416);
    for (const auto& e : ev) {
        EXPECT_EQ(e.status, 0x90);  // note-on, channel 1
        EXPECT_EQ(e.key, 60);
        EXPECT_EQ(e.velocity, 100);
    }
}

TEST_F(Render, ManyNoteOnsInOneBlockAllArrive) {
    const std::string in = dir_.file("in.wav");
    writeIntFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 1000, 300);
    std::string times;
    for (int ms = 10; ms <= 200; ms += 10) {
        if (!times.empty()) times += ',';
        times += std::to_string(ms / 1000.0);
    }
    ASSERT_EQ(runHost({in, "--note-on", times}).code, 0);
    const auto& ev = mainJournal().events;
    ASSERT_EQ(ev.size(), 20u);  // all in the one block of 300 frames
    for (std::size_t i = 0; i < ev.size(); ++i) {
        EXPECT_EQ(ev[i].block, 0);
        EXPECT_EQ(ev[i].deltaFrames, 10 * static_cast<int>(i + 1));
    }
}

TEST_F(Render, RunningTransportFollowsTheRenderedSamples) {
    const std::string in = dir_.file("in.wav");
    writeIntFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000, 8000);
    ASSERT_EQ(runHost({in, "--tempo", "90", "--time-sig", "6/8", "--start-ppq", "7"}).code, 0);
    const auto& times = mainJournal().times;
    ASSERT_EQ(times.size(), 16u);  // 8000 frames in blocks of 512
    for (const auto& t : times) {
        ASSERT_TRUE(t.present);
        const double samplePos = t.block * 512.0;
        EXPECT_EQ(t.info.samplePos, samplePos);
        EXPECT_EQ(t.info.sampleRate, 8000.0);
        EXPECT_DOUBLE_EQ(t.info.ppqPos, 7.0 + samplePos / 8000.0 * 1.5);
        EXPECT_EQ(t.info.tempo, 90.0);
        EXPECT_EQ(t.info.timeSigNumerator, 6);
        EXPECT_EQ(t.info.timeSigDenominator, 8);
        // Bars of 6/8 are three quarter notes long, counted from position 0.
        EXPECT_DOUBLE_EQ(t.info.barStartPos, std::floor(t.info.ppqPos / 3.0) * 3.0);
        EXPECT_EQ(t.info.flags & 0x2E00, 0x2E00);
        EXPECT_TRUE(t.info.flags & vst2::kVstTransportPlaying);
    }
    EXPECT_TRUE(times[0].info.flags & vst2::kVstTransportChanged);
    EXPECT_FALSE(times[1].info.flags & vst2::kVstTransportChanged);
    EXPECT_EQ(times[0].info.barStartPos, 6.0);
}

TEST_F(Render, StoppedTransportStaysPutAndNoTimeInfoAnswersNull) {
    const std::string in = dir_.file("in.wav");
    writeIntFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000, 2000);
    ASSERT_EQ(runHost({in, "--stopped", "--start-ppq", "5.5"}).code, 0);
    for (const auto& t : mainJournal().times) {
        ASSERT_TRUE(t.present);
        EXPECT_EQ(t.info.ppqPos, 5.5);
        EXPECT_EQ(t.info.barStartPos, 4.0);
        EXPECT_EQ(t.info.flags & 0x2E00, 0x2E00);  // still valid, just not moving
        EXPECT_FALSE(t.info.flags & vst2::kVstTransportPlaying);
    }
    journals_->clear();
    ASSERT_EQ(runHost({in, "--no-time-info"}).code, 0);
    ASSERT_EQ(mainJournal().times.size(), 4u);
    for (const auto& t : mainJournal().times) EXPECT_FALSE(t.present);
}

TEST_F(Render, AnExistingOutputIsReplacedWholeAndNoTemporaryFileStays) {
    const std::string in = dir_.file("in.flac");
    writeIntFile(in, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, 4000);
    { std::ofstream(dir_.file("out.flac")) << "old contents"; }
    ASSERT_EQ(runHost({in, "-o", dir_.file("out.flac")}).code, 0);
    EXPECT_EQ(readIntFile(dir_.file("out.flac")).info.frames, 4000);
    auto names = dir_.entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"in.flac", "out.flac"}));
}

TEST_F(Render, TheDemoNeedsNoFileAndFallsBackWhenThePluginLacksItsPreset) {
    // The fake plug-in has no "Ping Pong": its own program stays.
    const std::string out = dir_.file("demo.wav");
    const RunResult r = runHost({"-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("wrote " + out), std::string::npos);
    const FileContents c = readIntFile(out);
    EXPECT_EQ(c.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(c.info.samplerate, 44100);
    EXPECT_EQ(c.info.frames, 352800);
    EXPECT_EQ(mainJournal().times[0].info.tempo, 120.0);
}

TEST(HostPaths, DefaultOutputSitsBesideTheInput) {
    EXPECT_EQ(tavolu::host::defaultOutputPath("a/b/song.wav"), "a/b/song-panned.wav");
    EXPECT_EQ(tavolu::host::defaultOutputPath("take.2.aiff"), "take.2-panned.aiff");
}
