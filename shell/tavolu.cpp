// The effect's set-up and tear-down, identity, audio entry and the engine's
// way out to the host and the editor.
#include "shell/tavolu.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "shell/text.h"

namespace tavolu {

using namespace vst2;

namespace {

constexpr const char* kEffectName = "Tavolu";
constexpr const char* kVendorString = "Grivent";
constexpr const char* kProductString = "Tavolu08";
constexpr int kEffectNameSize = 32;  // bytes the host provides
constexpr int kVendorStringSize = 64;
constexpr int kProductStringSize = 64;

constexpr float kGainBothInputs = 0.5f;  // the mono sum of two connected inputs
constexpr float kGainOneInput = 1.0f;

// The host's time record counts only with every field the engine reads.
constexpr VstInt32 kTimeInfoNeeded =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;

struct Capability {
    const char* query;
    VstIntPtr answer;
};
constexpr Capability kCapabilities[] = {
    {"plugAsChannelInsert", 1},
    {"plugAsSend", 1},
    {"mixDryWet", 1},
    {"2in2out", 1},
    {"1in1out", -1},
    {"1in2out", 1},
    {"receiveVstEvents", 1},
    {"receiveVstMidiEvent", 1},
    {"receiveVstTimeInfo", 1},
};

}  // namespace

// [UI thread]
Tavolu::Tavolu(audioMasterCallback callback, EditorFactory editorFactory)
    : AudioEffectX(callback, kNumPrograms, kNumParameters) {
    // Both inputs connected (answer 0) or no host to ask: the two are summed.
    const bool secondInputConnected = !host.hasCallback() || host.pinConnected(1) == 0;
    engine.inputGain = secondInputConnected ? kGainBothInputs : kGainOneInput;

    cEffect.numInputs = 2;
    cEffect.numOutputs = 2;
    cEffect.uniqueID = kUniqueId;
    cEffect.flags |= effFlagsCanReplacing;

    for (int32_t k = 0; k < kNumPrograms; ++k) programs[k].initProgram(k);
    curProgram = kInitialProgram;
    for (int32_t i = 0; i < kNumParameters; ++i)
        setParameter(i, programs[kInitialProgram].values[i]);

    // The editor registers itself through setEditor; one that did not is
    // registered here so that it is owned all the same.
    AEffEditor* created = editorFactory ? editorFactory(editorLink) : nullptr;
    if (created && editor != created) setEditor(created);
    engine.host = this;
    engine.displayAttached = editor != nullptr;
}

// [UI thread] Hosts close the window before they close the effect; the editor
// object goes with the effect.
Tavolu::~Tavolu() {
    engine.host = nullptr;
    AEffEditor* owned = editor;
    setEditor(nullptr);
    delete owned;
}

// [UI thread]
bool Tavolu::getEffectName(char* name) {
    copyText(name, kEffectName, kEffectNameSize);
    return true;
}

// [UI thread]
bool Tavolu::getVendorString(char* text) {
    copyText(text, kVendorString, kVendorStringSize);
    return true;
}

// [UI thread]
bool Tavolu::getProductString(char* text) {
    copyText(text, kProductString, kProductStringSize);
    return true;
}

// [UI thread] The query must match whole, case included.
VstIntPtr Tavolu::canDo(const char* text) {
    for (const Capability& c : kCapabilities) {
        if (std::strcmp(text, c.query) == 0) return c.answer;
    }
    return 0;
}

// [UI thread, never while processing] The engine takes the rate stored by the
// last effSetSampleRate; the base then asks the host for MIDI.
void Tavolu::resume() {
    engine.resume(sampleRate);
    AudioEffectX::resume();
}

// [audio thread] A missing channel goes to the engine as null: it still
// silences whichever outputs the host did give, so no stale buffer is played.
void Tavolu::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    const float* inLeft = inputs ? inputs[0] : nullptr;
    const float* inRight = inputs ? inputs[1] : nullptr;
    float* outLeft = outputs ? outputs[0] : nullptr;
    float* outRight = outputs ? outputs[1] : nullptr;
    engine.processReplacing(inLeft, inRight, outLeft, outRight, frames);
}

// [audio thread] Only MIDI events reach the engine; a list with a negative
// count or holes in it is read as far as it is sound. An event is read only as
// far as it declares: byteSize counts what follows its type and byteSize
// fields, as the interface defines it. Hosts fill it either with that (24 for
// a MIDI event) or with the whole record (32); both reach the message. One too
// short to hold its three bytes is passed over, since reading on would run
// past what the host gave.
VstInt32 Tavolu::processEvents(const VstEvents& events) {
    // The record declares two pointers but really holds numEvents: they are
    // read through a plain pointer, as indexing the declared array past its
    // two would be undefined.
    constexpr VstInt32 kHeader = offsetof(VstEvent, deltaFrames);  // bytes: type, byteSize
    constexpr VstInt32 kMessageEnd = offsetof(VstMidiEvent, midiData) + 3;
    const VstEvent* const* list = events.events;
    for (VstInt32 i = 0; i < events.numEvents; ++i) {
        const VstEvent* event = list[i];
        if (!event || event->type != kVstMidiType || event->byteSize < kMessageEnd - kHeader) {
            continue;
        }
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        engine.midiMessage(static_cast<uint8_t>(midi->midiData[0]),
                           static_cast<uint8_t>(midi->midiData[1]),
                           static_cast<uint8_t>(midi->midiData[2]));
    }
    return 1;
}

// [audio thread]
bool Tavolu::readHostTime(HostTime& time) {
    const VstTimeInfo* info = host.getTimeInfo(kTimeInfoNeeded);
    if (!info || (info->flags & kTimeInfoNeeded) != kTimeInfoNeeded) return false;
    time.ppqPos = info->ppqPos;
    time.tempo = info->tempo;
    time.barStartPos = info->barStartPos;
    time.timeSigNumerator = info->timeSigNumerator;
    return true;
}

// [audio thread]
void Tavolu::report(int32_t index, float value) {
    if (editor) editor->setParameter(index, value);
}

}  // namespace tavolu
