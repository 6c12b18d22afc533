#include "tests/lv2/plugin_rig.h"

#include <lv2/midi/midi.h>

#include <cstring>

#include "shell/programs.h"

namespace tavolu::testing {

PluginRig::PluginRig(double sampleRate, uint32_t bytes, uint32_t offset)
    : inLeft(kFrames * 8),
      inRight(kFrames * 8),
      outLeft(kFrames * 8),
      outRight(kFrames * 8),
      control(8192),
      notify(bytes / 8 + 1),
      hostControl(control.size() + 1),
      hostNotify(notify.size() + 1),
      notifyBytes(bytes),
      misalign(offset) {
    urids.map(*map.feature());
    lv2_atom_forge_init(&forge, map.feature());
    const LV2_Feature mapFeature{LV2_URID__map, map.feature()};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    plugin.reset(lv2::Plugin::create(sampleRate, features));
    if (!plugin) return;
    for (int i = 0; i < kNumParameters; ++i) {
        controls[i] = presetTable[kNumPresets][i];
        plugin->connect(static_cast<uint32_t>(i), &controls[i]);
    }
    plugin->connect(lv2::kInputLeft, inLeft.data());
    plugin->connect(lv2::kInputRight, inRight.data());
    plugin->connect(lv2::kOutputLeft, outLeft.data());
    plugin->connect(lv2::kOutputRight, outRight.data());
    plugin->connect(lv2::kControl, reinterpret_cast<uint8_t*>(hostControl.data()) + misalign);
    plugin->connect(lv2::kNotify, reinterpret_cast<uint8_t*>(hostNotify.data()) + misalign);
    clearEvents();
    endEvents();
    plugin->activate();
}

void PluginRig::clearEvents() {
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(control.data()),
                              control.size() * sizeof(uint64_t));
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
}

void PluginRig::addPosition(int64_t frame, const PositionFields& p) {
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, frame);
    lv2_atom_forge_object(&forge, &object, 0, urids.timePosition);
    lv2_atom_forge_key(&forge, urids.timeBar);
    lv2_atom_forge_long(&forge, static_cast<int64_t>(p.bar));
    lv2_atom_forge_key(&forge, urids.timeBarBeat);
    lv2_atom_forge_float(&forge, static_cast<float>(p.barBeat));
    lv2_atom_forge_key(&forge, urids.timeBeatUnit);
    lv2_atom_forge_int(&forge, static_cast<int32_t>(p.beatUnit));
    lv2_atom_forge_key(&forge, urids.timeBeatsPerBar);
    lv2_atom_forge_float(&forge, static_cast<float>(p.beatsPerBar));
    lv2_atom_forge_key(&forge, urids.timeBeatsPerMinute);
    lv2_atom_forge_double(&forge, p.bpm);
    lv2_atom_forge_key(&forge, urids.timeSpeed);
    lv2_atom_forge_float(&forge, static_cast<float>(p.speed));
    lv2_atom_forge_pop(&forge, &object);
}

void PluginRig::addTempoOnly(int64_t frame, double bpm) {
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, frame);
    lv2_atom_forge_object(&forge, &object, 0, urids.timePosition);
    lv2_atom_forge_key(&forge, urids.timeBeatsPerMinute);
    lv2_atom_forge_float(&forge, static_cast<float>(bpm));
    lv2_atom_forge_pop(&forge, &object);
}

void PluginRig::addNoteOn(int64_t frame) {
    const uint8_t message[3] = {0x90, 60, 100};
    lv2_atom_forge_frame_time(&forge, frame);
    lv2_atom_forge_atom(&forge, sizeof message, urids.midiEvent);
    lv2_atom_forge_write(&forge, message, sizeof message);
}

void PluginRig::addPatchGet() {
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &object, 0, urids.patchGet);
    lv2_atom_forge_pop(&forge, &object);
}

void PluginRig::endEvents() {
    lv2_atom_forge_pop(&forge, &sequence);
}

void PluginRig::run(float input, uint32_t frames) {
    std::fill(inLeft.begin(), inLeft.begin() + frames, input);
    std::fill(inRight.begin(), inRight.begin() + frames, input);
    std::memcpy(reinterpret_cast<uint8_t*>(hostControl.data()) + misalign, control.data(),
                control.size() * sizeof(uint64_t));
    const LV2_Atom capacity{notifyBytes - static_cast<uint32_t>(sizeof(LV2_Atom)), 0};
    std::memcpy(reinterpret_cast<uint8_t*>(hostNotify.data()) + misalign, &capacity,
                sizeof capacity);
    plugin->run(frames);
    std::memcpy(notify.data(), reinterpret_cast<uint8_t*>(hostNotify.data()) + misalign,
                notify.size() * sizeof(uint64_t));
    clearEvents();  // an event is sent once
    endEvents();
}

std::vector<lv2::Message> PluginRig::messages() const {
    std::vector<lv2::Message> found;
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(notify.data());
    if (sequence->atom.type != urids.atomSequence) return found;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
        found.push_back(lv2::readMessage(urids, event->body));
    }
    return found;
}

}  // namespace tavolu::testing
