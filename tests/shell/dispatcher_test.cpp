// The host's requests through the record's dispatcher: answers, what each one
// changes, and the safe answers to bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "plugin_fixture.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

using Dispatcher = LoadedPlugin;

TEST_F(Dispatcher, FixedAnswers) {
    EXPECT_EQ(host.dispatch(effOpen), 0);
    EXPECT_EQ(host.dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(host.dispatch(effGetChunk), 0);
    EXPECT_EQ(host.dispatch(effSetChunk), 0);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(host.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 0);
    EXPECT_EQ(host.dispatch(effGetTailSize), 0);
    EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, -7), -7);
    for (int index : {0, 19, 20, 1000, -1}) {
        EXPECT_EQ(host.dispatch(effCanBeAutomated, index), 1) << index;
    }
    EXPECT_EQ(host.dispatch(effSetBlockSize, 0, 512), 0);
}

TEST_F(Dispatcher, CapabilitiesMatchWholeAndCaseSensitive) {
    const std::pair<const char*, VstIntPtr> table[] = {
        {"plugAsChannelInsert", 1},
        {"plugAsSend", 1},
        {"mixDryWet", 1},
        {"2in2out", 1},
        {"1in1out", -1},
        {"1in2out", 1},
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstTimeInfo", 1},
        {"ReceiveVstTimeInfo", 0},
        {"", 0},
        {"2in2out ", 0},
        {"2in2", 0},
        {"sendVstEvents", 0},
        {"bypass", 0},
    };
    for (const auto& [query, answer] : table) {
        std::string text = query;
        EXPECT_EQ(host.dispatch(effCanDo, 0, 0, text.data()), answer) << query;
    }
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, IdentityStrings) {
    std::size_t written = 0;
    EXPECT_EQ(host.text(effGetEffectName, 0, &written), "Tavolu");
    EXPECT_EQ(written, 7u);
    EXPECT_EQ(host.text(effGetVendorString, 0, &written), "Grivent");
    EXPECT_EQ(written, 8u);
    EXPECT_EQ(host.text(effGetProductString, 0, &written), "Tavolu08");
    EXPECT_EQ(written, 9u);
    EXPECT_EQ(host.dispatch(effGetEffectName, 0, 0, nullptr), 1);
    EXPECT_EQ(host.dispatch(effGetVendorString, 0, 0, nullptr), 1);
    EXPECT_EQ(host.dispatch(effGetProductString, 0, 0, nullptr), 1);
}

// Everything a host can observe without processing audio.
struct Observable {
    std::vector<float> parameters;
    std::vector<std::string> texts;
    VstIntPtr program;
    AEffect record;

    bool operator==(const Observable& o) const {
        return parameters == o.parameters && texts == o.texts && program == o.program &&
               std::memcmp(&record, &o.record, sizeof record) == 0;
    }
};

Observable observe(TestHost& host) {
    Observable seen{};
    for (int i = 0; i < 20; ++i) {
        seen.parameters.push_back(host.getParameter(i));
        seen.texts.push_back(host.parameterDisplay(i));
    }
    for (int k = 0; k < 16; ++k) seen.texts.push_back(host.programNameIndexed(k));
    seen.texts.push_back(host.programName());
    seen.program = host.dispatch(effGetProgram);
    seen.record = *host.effect();
    return seen;
}

TEST_F(Dispatcher, UnansweredOpcodesAnswerZeroAndChangeNothing) {
    const std::vector<int> answered = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 11, 12,
                                       13, 14, 15, 19, 22, 23, 24, 25, 26, 29, 35, 45,
                                       47, 48, 51, 58, 59, 60, 61, 63, 69, 73};
    const Observable before = observe(host);
    for (int opcode = -1; opcode <= 80; ++opcode) {
        if (std::find(answered.begin(), answered.end(), opcode) != answered.end()) continue;
        char buffer[256];
        std::memset(buffer, kUnwritten, sizeof buffer);
        host.clearCalls();
        EXPECT_EQ(host.dispatch(opcode, 3, 1, buffer, 0.75f), 0) << opcode;
        EXPECT_TRUE(host.calls().empty()) << opcode;
        for (char c : buffer) ASSERT_EQ(c, kUnwritten) << opcode;
    }
    EXPECT_TRUE(observe(host) == before);
    EXPECT_EQ(host.dispatch(1000), 0);
    EXPECT_EQ(host.dispatch(std::numeric_limits<VstInt32>::min()), 0);
}

TEST_F(Dispatcher, NullPointersAreNeverFollowed) {
    EXPECT_EQ(host.dispatch(effSetProgramName, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetProgramName, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetParamLabel, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetParamDisplay, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetParamName, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, nullptr), 1);
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, nullptr), 1);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 3, 0, nullptr), 1);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 16, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
    EXPECT_EQ(host.programName(), "User9");
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Dispatcher, SpeakerArrangementAnswersNullForBoth) {
    int dummy = 0;
    void* inputs = &dummy;
    void* outputs = &dummy;
    EXPECT_EQ(
        host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputs), &outputs),
        0);
    EXPECT_EQ(inputs, nullptr);
    EXPECT_EQ(outputs, nullptr);
    outputs = &dummy;
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, 0, &outputs), 0);
    EXPECT_EQ(outputs, nullptr);
    inputs = &dummy;
    EXPECT_EQ(
        host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputs), nullptr),
        0);
    EXPECT_EQ(inputs, nullptr);
}

TEST_F(Dispatcher, ResumeAsksForMidiEveryTimeSuspendAsksNothing) {
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, 1), 0);
    const auto midi = host.callsOf(audioMasterWantMidi);
    ASSERT_EQ(midi.size(), 2u);
    EXPECT_EQ(midi[0].value, 1);
    EXPECT_TRUE(midi[0].withEffect);
    EXPECT_EQ(host.calls().size(), 2u);
    host.clearCalls();
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_TRUE(host.calls().empty());
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, -1), 0);  // any non-zero value resumes
    EXPECT_EQ(host.callsOf(audioMasterWantMidi).size(), 1u);
}

// The "LFO Freq" display gives the LFO's rate from the sample rate of the last
// resume and the phase step set at the last write: a rate change shows there.
TEST_F(Dispatcher, SampleRateTakesEffectAtTheNextResume) {
    EXPECT_EQ(host.parameterDisplay(13), "  2.53");
    EXPECT_EQ(host.dispatch(effSetSampleRate, 0, 0, nullptr, 88200.0f), 0);
    EXPECT_EQ(host.parameterDisplay(13), "  2.53");
    host.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.parameterDisplay(13), "  5.05");  // the old step at twice the rate
    host.setParameter(13, 0.5f);
    EXPECT_EQ(host.parameterDisplay(13), "  2.53");
}

TEST_F(Dispatcher, UnusableSampleRatesAreNotStored) {
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(),
                         0.0f,
                         -44100.0f,
                         79.9f,
                         1536001.0f,
                         2.15e11f,  // the update interval would pass 2^31 samples
                         std::numeric_limits<float>::max()};
    float left[512] = {}, right[512] = {};
    float* channels[2] = {left, right};
    for (float rate : bad) {
        host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        host.dispatch(effMainsChanged, 0, 1);
        EXPECT_EQ(host.parameterDisplay(13), "  2.53") << rate;
        host.processReplacing(channels, channels, 512);
    }
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 1536000.0f);
    host.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.parameterDisplay(13), "  88.01");
    host.processReplacing(channels, channels, 512);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 80.0f);
    host.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.parameterDisplay(13), "  0.00");
}

TEST_F(Dispatcher, ARefusedSampleRateLeavesTheStoredOne) {
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 88200.0f);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 10.0f);
    host.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.parameterDisplay(13), "  5.05");  // the engine runs at 88200 Hz
}

TEST_F(Dispatcher, EditorRequests) {
    ERect* rect = nullptr;
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);  // also before open
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 360);
    EXPECT_EQ(rect->right, 465);

    int window = 0;
    EXPECT_EQ(host.dispatch(effEditIdle), 0);  // before open
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(host.dispatch(effEditIdle), 0);
    EXPECT_EQ(host.dispatch(effEditKeyDown, 'a', 0, nullptr, 1.0f), 0);
    EXPECT_EQ(host.dispatch(effEditKeyUp, 'a', 0, nullptr, 1.0f), 0);
    EXPECT_EQ(host.dispatch(effEditKeyDown, 0, 0, nullptr, std::nanf("")), 0);
    EXPECT_EQ(host.dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Dispatcher, EventListsOfAnyShapeAreAnsweredWithOne) {
    VstEvents empty{};
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, &empty), 1);
    empty.numEvents = -5;
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, &empty), 1);

    VstMidiEvent noteOn{};
    noteOn.type = kVstMidiType;
    noteOn.byteSize = sizeof noteOn;
    noteOn.midiData[0] = static_cast<char>(0x90);
    noteOn.midiData[1] = 60;
    noteOn.midiData[2] = 100;
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    VstEvents list{};
    list.numEvents = 2;
    list.events[0] = reinterpret_cast<VstEvent*>(&noteOn);
    list.events[1] = &sysex;
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, &list), 1);
    list.events[0] = nullptr;
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, &list), 1);
}

TEST_F(Dispatcher, ProcessingThroughTheRecordToleratesMissingBuffers) {
    host.dispatch(effMainsChanged, 0, 1);
    float left[64] = {};
    float right[64] = {};
    float* channels[2] = {left, right};
    float* holes[2] = {left, nullptr};
    host.processReplacing(channels, channels, 64);
    host.processReplacing(nullptr, channels, 64);
    host.processReplacing(channels, nullptr, 64);
    host.processReplacing(holes, channels, 64);
    host.processReplacing(channels, holes, 64);
    host.processReplacing(channels, channels, 0);
    host.effect()->process(host.effect(), channels, channels, 64);
    double dl[4] = {};
    double* doubles[2] = {dl, dl};
    host.effect()->processDoubleReplacing(host.effect(), doubles, doubles, 4);
    SUCCEED();
}

// A block whose input channel is missing still overwrites the outputs the
// host did give: stale buffer contents must never be played.
TEST_F(Dispatcher, MissingInputChannelSilencesTheOutputs) {
    host.dispatch(effMainsChanged, 0, 1);
    float in[64];
    float outL[64];
    float outR[64];
    std::fill(std::begin(in), std::end(in), 0.5f);
    for (int hole : {0, 1}) {
        std::fill(std::begin(outL), std::end(outL), 7.0f);
        std::fill(std::begin(outR), std::end(outR), 7.0f);
        float* inputs[2] = {in, in};
        inputs[hole] = nullptr;
        float* outputs[2] = {outL, outR};
        host.processReplacing(inputs, outputs, 64);
        for (int i = 0; i < 64; ++i) {
            ASSERT_EQ(outL[i], 0.0f) << hole << " " << i;
            ASSERT_EQ(outR[i], 0.0f) << hole << " " << i;
        }
    }
    // With one output missing, the other is still silenced.
    std::fill(std::begin(outL), std::end(outL), 7.0f);
    float* inputs[2] = {nullptr, in};
    float* outputs[2] = {outL, nullptr};
    host.processReplacing(inputs, outputs, 64);
    EXPECT_EQ(outL[0], 0.0f);
    EXPECT_EQ(outL[63], 0.0f);
}

// A host that processes before its first resume gets finite audio, and the
// first resume still sets the engine up as usual.
TEST_F(Dispatcher, ProcessingBeforeTheFirstResumeIsHarmless) {
    float left[256];
    float right[256];
    float* channels[2] = {left, right};
    for (int i = 0; i < 256; ++i) left[i] = right[i] = (i % 32 == 0) ? 0.9f : 0.01f;
    host.processReplacing(channels, channels, 256);
    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << i;
    }

    host.dispatch(effMainsChanged, 0, 1);
    host.setParameter(9, 1.0f);                  // "Threshold" out of reach: no sweep starts
    host.setParameter(1, 1.0f);                  // "End": rest hard right
    for (int block = 0; block < 100; ++block) {  // past the end of a sweep begun above
        for (int i = 0; i < 256; ++i) left[i] = right[i] = 0.25f;
        host.processReplacing(channels, channels, 256);
    }
    EXPECT_FLOAT_EQ(left[255], 0.0f);
    EXPECT_GT(right[255], 0.0f);
}

}  // namespace
}  // namespace tavolu::testing
