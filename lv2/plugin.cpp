// The LV2 plug-in's work: ports in, the effect, reports out.
#include "lv2/plugin.h"

#include <lv2/atom/util.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "common/sample_rate.h"

namespace tavolu::lv2 {

using namespace vst2;

namespace {

constexpr uint32_t kLongestCall = 1u << 30;   // frames per processReplacing call
constexpr std::size_t kAtomCopyWords = 8192;  // 64 KiB for each atom port
constexpr VstInt32 kTimeFlags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const LV2_URID_Map* findMap(const LV2_Feature* const* features) {
    for (auto f = features; f && *f; ++f) {
        if (std::strcmp((*f)->URI, LV2_URID__map) == 0)
            return static_cast<const LV2_URID_Map*>((*f)->data);
    }
    return nullptr;
}

}  // namespace

// Stands in for the editor inside the plug-in: the effect hands its editor
// every display report, and this passes them on to the notify port. It has no
// window; the LV2 UI is the editor.
class UiRelay final : public AEffEditor {
  public:
    // [UI thread] The effect's editor factory.
    static AEffEditor* create(EditorHost&) { return new (std::nothrow) UiRelay; }

    bool getRect(ERect** rect) override {
        if (rect) *rect = nullptr;
        return false;
    }
    bool open(void*) override { return false; }
    void close() override {}
    void idle() override {}
    bool onKeyDown(VstKeyCode&) override { return false; }
    bool onKeyUp(VstKeyCode&) override { return false; }
    void setKnobMode(VstInt32) override {}

    // [audio thread] Parameter writes are the ports' own values, which the
    // host shows the UI itself; only the reports travel.
    void setParameter(VstInt32 index, float value) override {
        if (plugin && isDisplayReport(index)) plugin->send(MessageKind::report, index, value);
    }

    Plugin* plugin = nullptr;
};

// [UI thread]
Plugin* Plugin::create(double rate, const LV2_Feature* const* features) {
    const LV2_URID_Map* map = findMap(features);
    Urids urids{};
    if (!map || !urids.map(*map) || !supportedSampleRate(static_cast<float>(rate))) return nullptr;
    return new (std::nothrow) Plugin(rate, *map, urids);
}

// [UI thread] The effect starts on its initial program, as in a VST host; the
// host's port defaults are the same values, so a first run hands nothing.
Plugin::Plugin(double rate, const LV2_URID_Map& map, const Urids& mapped)
    : urids(mapped),
      tavolu(&hostCallback, &UiRelay::create),
      sampleRate(rate),
      controlCopy(kAtomCopyWords),
      notifyCopy(kAtomCopyWords) {
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(&map));
    tavolu.getAeffect()->user = this;
    relay = static_cast<UiRelay*>(tavolu.getEditor());
    if (relay) relay->plugin = this;
    tavolu.setSampleRate(static_cast<float>(rate));
    for (int32_t i = 0; i < kNumParameters; ++i) {
        handed[i] = tavolu.program(kInitialProgram).value(i);
        uiHas[i] = handed[i];
    }
}

// [audio thread]
void Plugin::connect(uint32_t port, void* data) {
    if (port < kInputLeft) {
        controls[port] = static_cast<const float*>(data);
        return;
    }
    switch (port) {
        case kInputLeft: inputs[0] = static_cast<const float*>(data); break;
        case kInputRight: inputs[1] = static_cast<const float*>(data); break;
        case kOutputLeft: outputs[0] = static_cast<float*>(data); break;
        case kOutputRight: outputs[1] = static_cast<float*>(data); break;
        case kControl: control = static_cast<const uint8_t*>(data); break;
        case kNotify: notify = static_cast<uint8_t*>(data); break;
        default: break;
    }
}

// [UI thread] The VST's resume: the engine's sample-rate set-up and a reset.
void Plugin::activate() {
    tavolu.resume();
}

// [UI thread]
void Plugin::deactivate() {
    tavolu.suspend();
}

// [audio thread] Controls first, then events, as a VST host sets parameters
// and sends events before the block they belong to.
void Plugin::run(uint32_t frames) {
    openNotify();
    handChangedControls();
    readControlEvents(frames);
    // The effect takes channel arrays it could write; it only reads inputs.
    float* in[2] = {const_cast<float*>(inputs[0]), const_cast<float*>(inputs[1])};
    float* out[2] = {outputs[0], outputs[1]};
    for (uint32_t done = 0; done < frames;) {
        const uint32_t n = std::min(frames - done, kLongestCall);
        tavolu.processReplacing(in, out, static_cast<VstInt32>(n));
        frame += n;
        done += n;
        for (int c = 0; c < 2; ++c) {
            if (in[c]) in[c] += n;
            if (out[c]) out[c] += n;
        }
    }
    closeNotify();
}

// [audio thread] Only changed ports reach the setter: a write of an unchanged
// value is not always harmless ("LFO Sync Flip" turns the LFO round on every
// write). A port the host has not connected keeps its value.
void Plugin::handChangedControls() {
    bool changed = false;
    for (int32_t i = 0; i < kNumParameters; ++i) {
        if (!controls[i] || sameBits(*controls[i], handed[i])) continue;
        handed[i] = *controls[i];
        uiHas[i] = handed[i];  // the host shows the UI its own port values
        tavolu.setParameter(i, handed[i]);
        changed = true;
    }
    if (changed) tellUiValuesInUse(false);
}

// [audio thread] MIDI, the song position and the UI's request for everything.
// The sequence is read from a copy, as far as whole events go; a longer one
// than the copy holds is read as far as it fits.
void Plugin::readControlEvents(uint32_t frames) {
    if (!control) return;
    LV2_Atom header;
    std::memcpy(&header, control, sizeof header);
    auto* bytes = reinterpret_cast<uint8_t*>(controlCopy.data());
    const std::size_t total = std::min<std::size_t>(sizeof header + std::size_t{header.size},
                                                    controlCopy.size() * sizeof(uint64_t));
    if (header.type != urids.atomSequence || total < sizeof(LV2_Atom_Sequence)) return;
    std::memcpy(bytes, control, total);
    std::size_t at = sizeof(LV2_Atom_Sequence);
    while (at + sizeof(LV2_Atom_Event) <= total) {
        const auto* event = reinterpret_cast<const LV2_Atom_Event*>(bytes + at);
        const std::size_t size = sizeof(LV2_Atom_Event) + std::size_t{event->body.size};
        if (size > total - at) break;
        readEvent(*event, frames);
        at += lv2_atom_pad_size(static_cast<uint32_t>(size));
    }
}

// [audio thread] Events count frames from the block start; one claiming to
// lie outside the block is taken at its nearer end.
void Plugin::readEvent(const LV2_Atom_Event& event, uint32_t frames) {
    const LV2_Atom& body = event.body;
    if (body.type == urids.midiEvent) {
        midiEvent(static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&body)), body.size);
        return;
    }
    if ((body.type != urids.atomObject && body.type != urids.atomBlank) ||
        body.size < sizeof(LV2_Atom_Object_Body)) {
        return;
    }
    const auto& object = reinterpret_cast<const LV2_Atom_Object&>(body);
    if (object.body.otype == urids.timePosition) {
        const int64_t at = std::clamp<int64_t>(event.time.frames, 0, frames);
        transport.position(urids, object, frame + at, sampleRate);
    } else if (object.body.otype == urids.patchGet) {
        tavolu.engineState().requestTimeInfo();  // the tempo is reported again
        tellUiValuesInUse(true);
    }
}

// [audio thread] One message through the effect's event path; a short one is
// read as far as it goes.
void Plugin::midiEvent(const uint8_t* bytes, uint32_t size) {
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof(VstMidiEvent);
    for (uint32_t k = 0; k < std::min<uint32_t>(size, 3); ++k)
        midi.midiData[k] = static_cast<char>(bytes[k]);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&midi);
    tavolu.processEvents(list);
}

// [audio thread] A write can move other parameters (Start=End, the time
// order of Attack, Hold and Decay, "LFO Freq" resetting its source), and a
// host cannot be told so in LV2: the UI is, so that it shows what plays.
// A value that did not fit is told at the next change.
void Plugin::tellUiValuesInUse(bool all) {
    if (!notifyOpen) return;
    for (int32_t i = 0; i < kNumParameters; ++i) {
        const float inUse = tavolu.getParameter(i);
        if (!all && sameBits(inUse, uiHas[i])) continue;
        if (writeMessage(forge, urids, MessageKind::parameter, i, inUse)) uiHas[i] = inUse;
    }
}

// [audio thread] The host gives the port's capacity in its atom size. The
// messages are written into our copy and handed over whole at the end.
void Plugin::openNotify() {
    notifyOpen = false;
    if (!notify) return;
    LV2_Atom header;
    std::memcpy(&header, notify, sizeof header);
    const std::size_t capacity =
        std::min<std::size_t>(header.size, notifyCopy.size() * sizeof(uint64_t));
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(notifyCopy.data()), capacity);
    notifyOpen = lv2_atom_forge_sequence_head(&forge, &sequence, 0) != 0;
}

// [audio thread]
void Plugin::closeNotify() {
    if (!notifyOpen) return;
    lv2_atom_forge_pop(&forge, &sequence);
    const auto* written = reinterpret_cast<const LV2_Atom*>(notifyCopy.data());
    std::memcpy(notify, written, sizeof(LV2_Atom) + written->size);
    notifyOpen = false;
}

// [audio thread]
void Plugin::send(MessageKind kind, int32_t index, float value) {
    if (notifyOpen) writeMessage(forge, urids, kind, index, value);
}

// [audio thread] The time request of the effect's block start.
const VstTimeInfo* Plugin::timeInfo() {
    HostTime now;
    if (!transport.at(frame, sampleRate, now)) return nullptr;
    time = {};
    time.samplePos = static_cast<double>(frame);
    time.sampleRate = sampleRate;
    time.ppqPos = now.ppqPos;
    time.tempo = now.tempo;
    time.barStartPos = now.barStartPos;
    time.timeSigNumerator = now.timeSigNumerator;
    time.timeSigDenominator = transport.beatUnit();
    time.flags = kTimeFlags | (transport.rolling() ? kVstTransportPlaying : 0);
    return &time;
}

// [any thread] During construction the effect asks only what needs no
// instance: both inputs are always connected in LV2.
VstIntPtr Plugin::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                               float) {
    auto* self = effect ? static_cast<Plugin*>(effect->user) : nullptr;
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterPinConnected: return 0;
        case audioMasterWantMidi: return 1;
        case audioMasterGetTime: return self ? reinterpret_cast<VstIntPtr>(self->timeInfo()) : 0;
        default: return 0;
    }
}

}  // namespace tavolu::lv2
