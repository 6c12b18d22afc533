#include "tools/host/render.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tavolu::host {
namespace {

constexpr int kMaxChannels = 64;  // per direction; more than any effect needs

// One VstEvents list with room for every note-on of a block. The record ends
// in an array of pointers that really is numEvents long, so it is laid out
// in storage of our own rather than declared.
class EventList {
  public:
    explicit EventList(std::size_t capacity)
        : midi_(capacity), storage_(2 + std::max<std::size_t>(capacity, 2)) {}

    void clear() { count_ = 0; }
    void addNoteOn(int deltaFrames) {
        vst2::VstMidiEvent& e = midi_[count_++];
        e = {};
        e.type = vst2::kVstMidiType;
        e.byteSize = sizeof(vst2::VstMidiEvent);
        e.deltaFrames = deltaFrames;
        e.midiData[0] = static_cast<char>(0x90);
        e.midiData[1] = static_cast<char>(kNoteOnKey);
        e.midiData[2] = static_cast<char>(kNoteOnVelocity);
    }
    bool empty() const { return count_ == 0; }
    vst2::VstEvents* events() {
        auto* list = reinterpret_cast<vst2::VstEvents*>(storage_.data());
        list->numEvents = static_cast<vst2::VstInt32>(count_);
        list->reserved = 0;
        // The pointers run past the declared two, so they are written through
        // the storage rather than through the record's array.
        static_assert(offsetof(vst2::VstEvents, events) == 2 * sizeof(vst2::VstIntPtr));
        auto** slots = reinterpret_cast<vst2::VstEvent**>(storage_.data() + 2);
        for (std::size_t i = 0; i < count_; ++i)
            slots[i] = reinterpret_cast<vst2::VstEvent*>(&midi_[i]);
        return list;
    }

  private:
    std::vector<vst2::VstMidiEvent> midi_;
    std::vector<vst2::VstIntPtr> storage_;  // header (two words) and the pointers
    std::size_t count_ = 0;
};

}  // namespace

std::vector<long> noteOnFrames(const std::vector<double>& seconds, int sampleRate, long frames) {
    std::vector<long> at;
    for (double s : seconds) {
        const double frame = std::round(s * sampleRate);
        if (frame >= 0.0 && frame < static_cast<double>(frames))
            at.push_back(static_cast<long>(frame));
    }
    std::sort(at.begin(), at.end());
    return at;
}

bool render(PluginHost& plugin, const Audio& input, const RenderSettings& settings,
            Progress& progress, Audio& output, std::string& error) {
    const vst2::AEffect& e = *plugin.effect();
    if (e.numInputs < 0 || e.numInputs > kMaxChannels || e.numOutputs < 1 ||
        e.numOutputs > kMaxChannels) {
        error = "the plug-in claims " + std::to_string(e.numInputs) + " inputs and " +
                std::to_string(e.numOutputs) + " outputs, which this host cannot feed";
        return false;
    }
    const int block = settings.blockSize;
    const long frames = input.frames();
    const std::vector<long> notes = noteOnFrames(settings.noteOns, input.sampleRate, frames);

    // Every channel the plug-in declares gets a buffer; only two carry audio.
    const int inCount = std::max(2, e.numInputs);
    const int outCount = std::max(2, e.numOutputs);
    std::vector<std::vector<float>> inBuf(inCount, std::vector<float>(block, 0.0f));
    std::vector<std::vector<float>> outBuf(outCount, std::vector<float>(block, 0.0f));
    std::vector<float*> ins(inCount), outs(outCount);
    for (int c = 0; c < inCount; ++c) ins[c] = inBuf[c].data();
    for (int c = 0; c < outCount; ++c) outs[c] = outBuf[c].data();

    output.sampleRate = input.sampleRate;
    output.format = input.format;
    output.channels = 2;
    output.samples.assign(static_cast<std::size_t>(frames) * 2, 0.0f);

    EventList events(notes.size());
    std::size_t nextNote = 0;
    for (long pos = 0; pos < frames; pos += block) {
        const int n = static_cast<int>(std::min<long>(block, frames - pos));
        events.clear();
        while (nextNote < notes.size() && notes[nextNote] < pos + n)
            events.addNoteOn(static_cast<int>(notes[nextNote++] - pos));
        if (!events.empty()) plugin.sendEvents(events.events());

        const int ch = input.channels;
        for (int i = 0; i < n; ++i) {
            const float* frame = &input.samples[static_cast<std::size_t>(pos + i) * ch];
            inBuf[0][i] = frame[0];
            inBuf[1][i] = frame[ch - 1];  // mono feeds both inputs
        }
        plugin.process(ins.data(), outs.data(), n, static_cast<double>(pos));
        const float* right = e.numOutputs >= 2 ? outs[1] : outs[0];
        for (int i = 0; i < n; ++i) {
            output.samples[static_cast<std::size_t>(pos + i) * 2] = outs[0][i];
            output.samples[static_cast<std::size_t>(pos + i) * 2 + 1] = right[i];
        }
        progress.update(static_cast<double>(pos + n) / static_cast<double>(frames));
        if (settings.afterBlock)
            settings.afterBlock(static_cast<double>(pos + n) / input.sampleRate);
    }
    return true;
}

}  // namespace tavolu::host
