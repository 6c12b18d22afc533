// The effect object itself, where a host cannot look: the editor's
// parameter-update calls, the program records, engine fields the host never
// sees, and the engine's way out to the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "common/parameter_index.h"
#include "shell/tavolu.h"

namespace tavolu {
namespace {

using namespace vst2;

// An editor that records every parameter-update call.
class RecordingEditor : public AEffEditor {
  public:
    explicit RecordingEditor(EditorHost& effect) { effect.attachEditor(this); }
    bool getRect(ERect** rect) override {
        *rect = &rectangle;
        return true;
    }
    bool open(void*) override { return true; }
    void close() override {}
    void idle() override {}
    bool onKeyDown(VstKeyCode& key) override {
        keys.push_back(key);
        return true;
    }
    bool onKeyUp(VstKeyCode&) override { return false; }
    void setKnobMode(VstInt32) override {}
    void setParameter(VstInt32 index, float value) override { updates.push_back({index, value}); }

    std::vector<std::pair<VstInt32, float>> updates;
    std::vector<VstKeyCode> keys;
    ERect rectangle{1, 2, 3, 4};
};

AEffEditor* makeRecordingEditor(EditorHost& effect) {
    return new RecordingEditor(effect);
}
AEffEditor* failToMakeEditor(EditorHost&) {
    return nullptr;
}

// A host callback that keeps what it is asked and answers time requests.
struct FakeHost {
    std::vector<std::pair<VstInt32, VstIntPtr>> calls;  // opcode, value
    std::vector<std::pair<VstInt32, float>> automated;
    VstTimeInfo time{};
    bool giveTime = true;
    VstIntPtr pinAnswer = 0;
};
thread_local FakeHost* fakeHost = nullptr;

VstIntPtr fakeCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                       float opt) {
    if (!fakeHost) return 0;
    fakeHost->calls.push_back({opcode, value});
    switch (opcode) {
        case audioMasterAutomate: fakeHost->automated.push_back({index, opt}); return 0;
        case audioMasterPinConnected: return fakeHost->pinAnswer;
        case audioMasterGetTime:
            return fakeHost->giveTime ? reinterpret_cast<VstIntPtr>(&fakeHost->time) : 0;
        default: return 0;
    }
}

class Effect : public ::testing::Test {
  protected:
    ~Effect() override { fakeHost = nullptr; }

    RecordingEditor& editor() { return *static_cast<RecordingEditor*>(effect.getEditor()); }

    FakeHost fake;
    bool installed = (fakeHost = &fake) != nullptr;  // before the effect asks anything
    Tavolu effect{&fakeCallback, &makeRecordingEditor};
};

TEST_F(Effect, ConstructionNotifiesNoEditorAndRegistersIt) {
    EXPECT_TRUE(editor().updates.empty());  // the editor comes after the program is applied
    EXPECT_EQ(effect.getAeffect()->flags, effFlagsCanReplacing | effFlagsHasEditor);
    EXPECT_TRUE(effect.engineState().displayAttached);
    EXPECT_NE(effect.engineState().host, nullptr);
    EXPECT_EQ(effect.engineState().inputGain, 0.5f);
}

TEST_F(Effect, EveryWriteReachesTheEditorOnceWithItsOwnIndex) {
    effect.setParameter(4, 0.1f);
    effect.setParameter(5, 0.2f);
    editor().updates.clear();
    effect.setParameter(3, 1.0f);  // couples 4 and 5, but only 3 is reported
    effect.setParameter(20, 0.5f);
    effect.setParameter(99, 2.0f);
    effect.setParameter(-1, 0.5f);
    effect.setParameter(2, std::numeric_limits<float>::quiet_NaN());
    effect.setParameter(25, std::numeric_limits<float>::infinity());
    EXPECT_EQ(editor().updates,
              (std::vector<std::pair<VstInt32, float>>{{3, 1.0f}, {20, 0.5f}, {99, 2.0f}}));
}

TEST_F(Effect, ProgramSelectionReportsAllTwentyInOrder) {
    effect.dispatcher(effSetProgram, 0, 4, nullptr, 0.0f);
    ASSERT_EQ(editor().updates.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(editor().updates[i].first, i);
        EXPECT_EQ(editor().updates[i].second, presetTable[4][i]);
    }
}

TEST_F(Effect, OnlyTheWrittenIndexIsStored) {
    effect.setParameter(4, 0.1f);
    effect.setParameter(5, 0.2f);
    effect.setParameter(3, 1.0f);
    const TavoluProgram& p = effect.program(8);
    EXPECT_EQ(p.values[3], 1.0f);
    EXPECT_EQ(p.values[4], 0.1f);
    EXPECT_EQ(p.values[5], 0.2f);
    effect.setParameter(0, 1.0f);  // moves Start and End without storing them
    EXPECT_EQ(p.values[0], 1.0f);
    EXPECT_EQ(p.values[1], 0.5f);
    effect.setParameter(1, 0.7f);
    EXPECT_EQ(p.values[1], 0.7f);
    EXPECT_EQ(p.values[2], 0.5f);
    effect.setParameter(20, 0.3f);
    effect.setParameter(1, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(p.values[1], 0.7f);
}

TEST_F(Effect, BankStartsFromTheFactoryTables) {
    for (int k = 0; k < 16; ++k) {
        const TavoluProgram& p = effect.program(k);
        const int row = k < 8 ? k : 8;
        for (int i = 0; i < 20; ++i) EXPECT_EQ(p.values[i], presetTable[row][i]) << k << " " << i;
        EXPECT_STREQ(p.name, k < 8 ? presetNames[k] : "User");
    }
    TavoluProgram untouched{};
    untouched.name[0] = 'z';
    untouched.initProgram(16);
    untouched.initProgram(-1);
    EXPECT_EQ(untouched.name[0], 'z');
    EXPECT_EQ(untouched.values[0], 0.0f);
}

TEST_F(Effect, SetParameterAutomatedWritesThenTellsTheHost) {
    fake.calls.clear();
    fake.automated.clear();
    effect.setParameterAutomated(9, 0.25f);
    EXPECT_EQ(effect.getParameter(9), 0.25f);
    EXPECT_EQ(fake.automated, (std::vector<std::pair<VstInt32, float>>{{9, 0.25f}}));
    effect.setParameterAutomated(9, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(fake.automated.size(), 1u);
}

// Values far outside 0..1 come only from broken hosts, but what the effect
// derives from them and tells the host must stay finite.
TEST_F(Effect, AbsurdTimeWritesLeaveEveryDerivedValueFinite) {
    fake.automated.clear();
    effect.setParameter(kDecay, -std::numeric_limits<float>::max());  // pulls the attack to it
    EXPECT_EQ(effect.getParameter(kAttack), -std::numeric_limits<float>::max());
    effect.setParameter(kAttack, 0.5f);
    effect.setParameter(kHold, -3.0e38f);  // and through the hold end
    ASSERT_FALSE(fake.automated.empty());
    for (const auto& [index, value] : fake.automated) EXPECT_TRUE(std::isfinite(value)) << index;
    for (VstInt32 i = 0; i < kNumParameters; ++i)
        EXPECT_TRUE(std::isfinite(effect.getParameter(i)));
}

// Index 16's steps: each write reverses the direction; "off" right after
// "on" (no LFO reset between) reverses it back, leaving the "on" write's result.
TEST_F(Effect, LfoSyncFlipDirection) {
    Engine& e = effect.engineState();
    const float start = e.lfoDirection;
    effect.setParameter(16, 1.0f);
    EXPECT_EQ(e.lfoDirection, -start);
    EXPECT_TRUE(e.flipPending);
    effect.setParameter(16, 1.0f);
    EXPECT_EQ(e.lfoDirection, start);
    effect.setParameter(16, 1.0f);
    effect.setParameter(16, 0.0f);
    EXPECT_EQ(e.lfoDirection, -start);
    EXPECT_FALSE(e.flipPending);
    effect.setParameter(16, 0.0f);  // no flip pending: this write reverses it
    EXPECT_EQ(e.lfoDirection, start);
}

TEST_F(Effect, WritesSetTheEngineQuantities) {
    Engine& e = effect.engineState();
    effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    effect.setParameter(8, 0.4f);
    EXPECT_TRUE(e.gridTriggerEnabled);
    EXPECT_FALSE(e.audioTriggerEnabled);
    EXPECT_EQ(double{e.gridBeats}, 1.0);
    EXPECT_FALSE(e.timeInfoCurrent);
    effect.setParameter(8, 0.2f);
    EXPECT_EQ(double{e.gridBeats}, 2.0);
    effect.setParameter(8, 1.0f);
    EXPECT_TRUE(e.lfoTriggerEnabled);
    EXPECT_FALSE(e.gridTriggerEnabled);
    effect.setParameter(8, 0.8f);
    EXPECT_EQ(double{e.gridBeats}, 0.25);
    effect.setParameter(8, 7.0f);  // no such source: none enabled, spacing kept
    EXPECT_FALSE(e.audioTriggerEnabled || e.gridTriggerEnabled || e.lfoTriggerEnabled);
    EXPECT_EQ(double{e.gridBeats}, 0.25);

    effect.setParameter(14, 0.75f);
    EXPECT_EQ(double{e.lfoCyclesPerBeat}, 0.5);
    effect.setParameter(14, 3.0f);  // out of the list: rate untouched
    EXPECT_EQ(double{e.lfoCyclesPerBeat}, 0.5);

    // Hold-source rule: sync None, trigger Quarter Note, LFO Half Note: LFO.
    effect.setParameter(15, 0.0f);
    effect.setParameter(8, 0.4f);
    effect.setParameter(14, 0.5f);
    EXPECT_TRUE(e.holdSourceIsLfo);
    effect.setParameter(8, 0.2f);
    effect.setParameter(14, 0.75f);
    EXPECT_FALSE(e.holdSourceIsLfo);

    effect.setParameter(11, 0.6f);
    EXPECT_EQ(e.lfoDepth, 0.3f);
    effect.setParameter(12, 1.0f);
    EXPECT_EQ(e.lfoDelayStep, static_cast<float>(1.0 / 44101.0));

    // Decay 0.5 s, Hold 0.2 s at 44,100 Hz.
    effect.setParameter(3, 0.0f);
    effect.setParameter(5, 0.5f);
    effect.setParameter(4, 0.2f);
    EXPECT_EQ(e.decayIncrement, static_cast<float>(1.0 / 13231.0));
    EXPECT_EQ(int32_t{e.holdEndSample}, 8820);
}

TEST_F(Effect, StartEqualsEndMovesTheResting) {
    Engine& e = effect.engineState();
    effect.setParameter(1, 0.9f);
    EXPECT_EQ(e.endTarget, 0.9f);
    e.envelopePosition = 0.1f;
    effect.setParameter(0, 1.0f);
    EXPECT_EQ(e.endTarget, 0.5f);
    EXPECT_EQ(e.envelopePosition, 0.5f);
    effect.setParameter(2, 0.3f);  // the end value follows, the target does not
    EXPECT_EQ(e.endValue, 0.3f);
    EXPECT_EQ(e.endTarget, 0.5f);
}

TEST_F(Effect, HostTimeNeedsAllFourFields) {
    EngineHost& host = *effect.engineState().host;
    fake.time.ppqPos = 16.5;
    fake.time.tempo = 120.0;
    fake.time.barStartPos = 16.0;
    fake.time.timeSigNumerator = 3;
    fake.time.flags =
        kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid | kVstTransportPlaying;
    fake.calls.clear();
    HostTime t;
    ASSERT_TRUE(host.readHostTime(t));
    EXPECT_EQ(t.ppqPos, 16.5);
    EXPECT_EQ(t.tempo, 120.0);
    EXPECT_EQ(t.barStartPos, 16.0);
    EXPECT_EQ(t.timeSigNumerator, 3);
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_EQ(fake.calls[0], (std::pair<VstInt32, VstIntPtr>{audioMasterGetTime, 0x2E00}));

    for (VstInt32 missing : {kVstPpqPosValid, kVstTempoValid, kVstBarsValid, kVstTimeSigValid}) {
        fake.time.flags = 0x2E00 & ~missing;
        EXPECT_FALSE(host.readHostTime(t)) << missing;
    }
    fake.giveTime = false;
    EXPECT_FALSE(host.readHostTime(t));
}

TEST_F(Effect, ReportsGoToTheEditor) {
    editor().updates.clear();
    effect.engineState().host->report(25, 0.75f);
    effect.engineState().host->report(37, 0.0f);
    EXPECT_EQ(editor().updates, (std::vector<std::pair<VstInt32, float>>{{25, 0.75f}, {37, 0.0f}}));
}

TEST_F(Effect, NoteOnsFromTheEventList) {
    Engine& e = effect.engineState();
    VstMidiEvent quiet{};
    quiet.type = kVstMidiType;
    quiet.byteSize = sizeof quiet;
    quiet.midiData[0] = static_cast<char>(0x91);
    quiet.midiData[2] = 63;
    VstEvent other{};
    other.type = kVstSysExType;
    other.data[0] = static_cast<char>(0x90);  // looks like a note-on, but is no MIDI event
    other.data[2] = 127;
    VstEvents list{};
    list.numEvents = 2;
    list.events[0] = reinterpret_cast<VstEvent*>(&quiet);
    list.events[1] = &other;
    EXPECT_EQ(effect.dispatcher(effProcessEvents, 0, 0, &list, 0.0f), 1);
    EXPECT_FALSE(e.midiTriggerPending);
    quiet.midiData[2] = 64;
    effect.dispatcher(effProcessEvents, 0, 0, &list, 0.0f);
    EXPECT_TRUE(e.midiTriggerPending);
}

// Hosts allocate the list as long as it needs; the declared two entries are
// only the head of it, and a note-on anywhere in it counts.
TEST_F(Effect, NoteOnAtTheEndOfALongEventList) {
    Engine& e = effect.engineState();
    VstEvent other{};
    other.type = kVstSysExType;
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[2] = 100;
    struct LongList {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[5];
    } list{5, 0, {&other, &other, &other, &other, reinterpret_cast<VstEvent*>(&note)}};
    static_assert(offsetof(LongList, events) == offsetof(VstEvents, events));
    EXPECT_EQ(effect.dispatcher(effProcessEvents, 0, 0, &list, 0.0f), 1);
    EXPECT_TRUE(e.midiTriggerPending);
}

// A host may pass an event no longer than the size it declares: a note-on is
// read only when its three bytes lie inside that size. Each event here is
// allocated at exactly its declared size, so a read past it is a
// heap-buffer-overflow under AddressSanitizer.
TEST_F(Effect, EventsAreReadOnlyAsFarAsTheirDeclaredSize) {
    Engine& e = effect.engineState();
    AEffect* record = effect.getAeffect();
    VstMidiEvent full{};
    full.type = kVstMidiType;
    full.midiData[0] = static_cast<char>(0x90);
    full.midiData[1] = 60;
    full.midiData[2] = 100;
    // byteSize counts what follows the type and byteSize fields: an event
    // declaring 19 bytes ends right after the message's third byte. Hosts
    // write 24 (as the interface defines it) or 32 (the whole record).
    constexpr VstInt32 kHeader = 8;  // bytes
    const std::pair<VstInt32, bool> sizes[] = {{0, false}, {16, false}, {18, false},
                                               {19, true}, {24, true},  {32, true}};
    for (const auto& [size, read] : sizes) {
        full.byteSize = size;
        const size_t extent = size_t(kHeader + size);  // exactly what the event declares
        std::unique_ptr<char[]> event(new char[extent]);
        std::memcpy(event.get(), &full, std::min(extent, sizeof full));
        VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(event.get());
        e.midiTriggerPending = false;
        EXPECT_EQ(record->dispatcher(record, effProcessEvents, 0, 0, &list, 0.0f), 1);
        EXPECT_EQ(bool{e.midiTriggerPending}, read) << size << " bytes";
    }
}

TEST_F(Effect, KeysReachTheEditorDecoded) {
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'q', 0x1234, nullptr, 261.9f), 1);
    ASSERT_EQ(editor().keys.size(), 1u);
    EXPECT_EQ(editor().keys[0].character, 'q');
    EXPECT_EQ(editor().keys[0].virt, 0x34);
    EXPECT_EQ(editor().keys[0].modifier, 5);  // trunc(261.9) = 261, low byte 5
    ERect* rect = nullptr;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 1);
    EXPECT_EQ(rect, &editor().rectangle);
}

// The editor's narrow way to the effect: each request reaches the effect, the
// host or the engine, and nothing else.
TEST_F(Effect, TheEditorsLinkReachesTheEffectTheHostAndTheEngine) {
    EditorHost& link = effect.editorHost();
    EXPECT_EQ(link.getParameter(kHold), effect.getParameter(kHold));
    EXPECT_EQ(link.getParameter(-1), 0.0f);
    fake.calls.clear();
    editor().updates.clear();
    link.beginEdit(kDecay);
    link.setParameterAutomated(kDecay, 0.75f);
    link.endEdit(kDecay);
    link.updateDisplay();
    const std::vector<std::pair<VstInt32, VstIntPtr>> expected{{audioMasterBeginEdit, 0},
                                                               {audioMasterAutomate, 0},
                                                               {audioMasterEndEdit, 0},
                                                               {audioMasterUpdateDisplay, 0}};
    EXPECT_EQ(fake.calls, expected);
    EXPECT_EQ(effect.getParameter(kDecay), 0.75f);
    EXPECT_EQ(editor().updates, (std::vector<std::pair<VstInt32, float>>{{kDecay, 0.75f}}));

    effect.engineState().timeInfoCurrent = true;
    link.requestTimeInfo();
    EXPECT_FALSE(effect.engineState().timeInfoCurrent);

    RecordingEditor& recorder = editor();
    link.attachEditor(nullptr);
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_FALSE(effect.getAeffect()->flags & effFlagsHasEditor);
    link.attachEditor(&recorder);
}

TEST(EffectWithoutEditor, RunsAndAnswersEditorRequestsWithZero) {
    Tavolu effect(nullptr, &failToMakeEditor);
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_EQ(effect.getAeffect()->flags, effFlagsCanReplacing);
    EXPECT_FALSE(effect.engineState().displayAttached);
    EXPECT_EQ(effect.engineState().inputGain, 0.5f);  // no host to ask: both inputs summed
    ERect* rect = nullptr;
    int window = 0;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &window, 0.0f), 0);
    EXPECT_EQ(effect.dispatcher(effEditIdle, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.dispatcher(effEditClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.dispatcher(effEditKeyUp, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 0, 1, nullptr, 0.0f), 0);
    // Without a host callback every service is silent and the writes still work.
    effect.setParameter(0, 1.0f);
    effect.setParameterAutomated(3, 1.0f);
    effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(effect.getParameter(4), 0.25f);
    HostTime t;
    EXPECT_FALSE(effect.engineState().host->readHostTime(t));
    effect.engineState().host->report(25, 0.5f);
}

TEST(EffectInputs, OneInputWhenTheHostSaysTheSecondIsNotConnected) {
    FakeHost fake;
    fake.pinAnswer = 1;
    fakeHost = &fake;
    Tavolu effect(&fakeCallback, &failToMakeEditor);
    EXPECT_EQ(effect.engineState().inputGain, 1.0f);
    fakeHost = nullptr;
}

}  // namespace
}  // namespace tavolu
