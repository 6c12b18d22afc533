#include "tests/lv2/render_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "shell/programs.h"
#include "tools/host/plugin_host.h"
#include "tools/lv2host/lv2_host.h"

namespace tavolu::testing {

namespace {

// A VstEvents record with room for one block's note-ons.
struct EventBlock {
    std::vector<vst2::VstMidiEvent> midi;
    std::vector<vst2::VstIntPtr> storage;
    vst2::VstEvents* build(const std::vector<int>& at) {
        midi.assign(at.size(), vst2::VstMidiEvent{});
        storage.assign(2 + std::max<std::size_t>(at.size(), 2), 0);
        auto* list = reinterpret_cast<vst2::VstEvents*>(storage.data());
        list->numEvents = static_cast<vst2::VstInt32>(at.size());
        auto** slots = reinterpret_cast<vst2::VstEvent**>(storage.data() + 2);
        for (std::size_t i = 0; i < at.size(); ++i) {
            midi[i].type = vst2::kVstMidiType;
            midi[i].byteSize = sizeof(vst2::VstMidiEvent);
            midi[i].deltaFrames = at[i];
            midi[i].midiData[0] = static_cast<char>(0x90);
            midi[i].midiData[1] = 60;
            midi[i].midiData[2] = 100;
            slots[i] = reinterpret_cast<vst2::VstEvent*>(&midi[i]);
        }
        return list;
    }
};

std::vector<int> notesIn(const RenderCase& c, long start, long frames) {
    std::vector<int> at;
    for (long n : c.noteOns)
        if (n >= start && n < start + frames) at.push_back(static_cast<int>(n - start));
    return at;
}

template <typename Process>
StereoRender renderBlocks(const host::Audio& input, int blockSize, Process process) {
    const long total = input.frames();
    StereoRender out{std::vector<float>(total), std::vector<float>(total)};
    std::vector<float> in(blockSize);
    for (long pos = 0; pos < total; pos += blockSize) {
        const int n = static_cast<int>(std::min<long>(blockSize, total - pos));
        for (int i = 0; i < n; ++i) in[i] = input.samples[(pos + i) * input.channels];
        process(in.data(), out.left.data() + pos, out.right.data() + pos, n, pos);
    }
    return out;
}

}  // namespace

StereoRender renderVst(const host::Audio& input, const RenderCase& c) {
    host::PluginHost vst;
    std::string error;
    if (!vst.load(TAVOLU_PLUGIN, error)) {
        ADD_FAILURE() << error;
        return {};
    }
    host::TransportSettings t = c.transport;
    t.sampleRate = input.sampleRate;
    vst.setTransport(t, c.timeInfo);
    vst.start(static_cast<float>(input.sampleRate), c.blockSize);
    if (c.program >= 0) vst.setProgram(c.program);
    for (const auto& [index, value] : c.settings) vst.setParameter(index, value);
    EventBlock events;
    return renderBlocks(input, c.blockSize, [&](float* in, float* l, float* r, int n, long pos) {
        const std::vector<int> notes = notesIn(c, pos, n);
        if (!notes.empty()) vst.sendEvents(events.build(notes));
        float* ins[2] = {in, in};
        float* outs[2] = {l, r};
        vst.process(ins, outs, n, static_cast<double>(pos));
    });
}

StereoRender renderLv2(const host::Audio& input, const RenderCase& c) {
    lv2host::Lv2Host lv2;
    std::string error;
    if (!lv2.load(TAVOLU_LV2_BUNDLE, input.sampleRate, error)) {
        ADD_FAILURE() << error;
        return {};
    }
    if (c.program >= 0 && c.program < kNumPresets &&
        !lv2.applyPreset(presetNames[c.program], error)) {
        ADD_FAILURE() << error;
        return {};
    }
    for (const auto& [index, value] : c.settings) lv2.setControl(index, value);
    host::TransportSettings t = c.transport;
    t.sampleRate = input.sampleRate;
    lv2.setTransport(t, c.timeInfo);
    lv2.activate();
    return renderBlocks(input, c.blockSize, [&](float* in, float* l, float* r, int n, long pos) {
        lv2.process(in, in, l, r, static_cast<uint32_t>(n), notesIn(c, pos, n));
    });
}

}  // namespace tavolu::testing
