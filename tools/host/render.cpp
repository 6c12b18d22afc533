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

bool render(PluginHost& plugin, AudioReader& input, AudioWriter& output,
            const RenderSettings& settings, Progress& progress, std::string& error) {
    const vst2::AEffect& e = *plugin.effect();
    if (e.numInputs < 0 || e.numInputs > kMaxChannels || e.numOutputs < 1 ||
        e.numOutputs > kMaxChannels) {
        error = "the plug-in claims " + std::to_string(e.numInputs) + " inputs and " +
                std::to_string(e.numOutputs) + " outputs, which this host cannot feed";
        return false;
    }
    const int block = settings.blockSize;
    const long promised = input.promisedFrames();
    const double rate = input.sampleRate();
    const std::vector<long> notes = noteOnFrames(settings.noteOns, input.sampleRate(), promised);

    // Every channel the plug-in declares gets a buffer; only two carry audio.
    const int ch = input.channels();
    const int inCount = std::max(2, e.numInputs);
    const int outCount = std::max(2, e.numOutputs);
    std::vector<std::vector<float>> inBuf(inCount, std::vector<float>(block, 0.0f));
    std::vector<std::vector<float>> outBuf(outCount, std::vector<float>(block, 0.0f));
    std::vector<float*> ins(inCount), outs(outCount);
    for (int c = 0; c < inCount; ++c) ins[c] = inBuf[c].data();
    for (int c = 0; c < outCount; ++c) outs[c] = outBuf[c].data();
    std::vector<float> read(static_cast<std::size_t>(block) * ch);
    std::vector<float> written(static_cast<std::size_t>(block) * 2);

    EventList events(notes.size());
    std::size_t nextNote = 0;
    long pos = 0;
    while (const long got = input.read(read.data(), block)) {
        const int n = static_cast<int>(got);
        events.clear();
        while (nextNote < notes.size() && notes[nextNote] < pos + n)
            events.addNoteOn(static_cast<int>(notes[nextNote++] - pos));
        if (!events.empty()) plugin.sendEvents(events.events());

        for (int i = 0; i < n; ++i) {
            inBuf[0][i] = read[static_cast<std::size_t>(i) * ch];
            inBuf[1][i] = read[static_cast<std::size_t>(i) * ch + ch - 1];  // mono feeds both
        }
        plugin.process(ins.data(), outs.data(), n, static_cast<double>(pos));
        const float* right = e.numOutputs >= 2 ? outs[1] : outs[0];
        for (int i = 0; i < n; ++i) {
            written[static_cast<std::size_t>(i) * 2] = outs[0][i];
            written[static_cast<std::size_t>(i) * 2 + 1] = right[i];
        }
        if (!output.write(written.data(), n, error)) return false;
        if (settings.onBlock) settings.onBlock(read.data(), ch, written.data(), n);
        pos += n;
        progress.update(promised > 0 ? static_cast<double>(pos) / static_cast<double>(promised)
                                     : 1.0);
        if (settings.afterBlock) settings.afterBlock(static_cast<double>(pos) / rate);
    }
    return true;
}

}  // namespace tavolu::host
