// The LV2 plug-in: the same effect as the VST 2.4 one, driven the way a VST
// host drives it. Each run hands the control ports that changed to the
// effect's parameter setter (so the couplings between parameters behave as
// in the VST), the MIDI events and the host's song position to the effect,
// then processes the block. What the editor would hear (meter levels, pan
// positions, tempo, silence) and the parameter values in use go out on the
// notify port for the UI, which shares nothing else with the plug-in.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>

#include <cstdint>
#include <vector>

#include "lv2/identity.h"
#include "lv2/messages.h"
#include "lv2/transport.h"
#include "shell/tavolu.h"

namespace tavolu::lv2 {

class UiRelay;

class Plugin {
  public:
    // [UI thread] Null when the host gives no URID map, or a sample rate the
    // effect does not run at, or there is no memory.
    static Plugin* create(double sampleRate, const LV2_Feature* const* features);
    ~Plugin() = default;
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // [audio thread] An unknown port is ignored.
    void connect(uint32_t port, void* data);
    // [UI thread, never while running]
    void activate();
    void deactivate();
    // [audio thread] Allocates nothing, locks nothing, calls only the effect.
    void run(uint32_t frames);

    // For tests.
    Tavolu& effect() { return tavolu; }

  private:
    friend class UiRelay;

    Plugin(double sampleRate, const LV2_URID_Map& map, const Urids& urids);

    // [any thread] The callback the effect was created with.
    static vst2::VstIntPtr hostCallback(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                        vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                                        float opt);
    // [audio thread]
    const vst2::VstTimeInfo* timeInfo();
    void handChangedControls();
    void readControlEvents(uint32_t frames);
    void readEvent(const LV2_Atom_Event& event, uint32_t frames);
    void midiEvent(const uint8_t* bytes, uint32_t size);
    void tellUiValuesInUse(bool all);
    void openNotify();
    void closeNotify();
    void send(MessageKind kind, int32_t index, float value);

    Urids urids;
    LV2_Atom_Forge forge;
    Tavolu tavolu;
    UiRelay* relay = nullptr;  // owned by the effect, as its editor would be
    double sampleRate;         // Hz

    const float* controls[kNumParameters] = {};
    float handed[kNumParameters];  // the last value each port gave the effect
    float uiHas[kNumParameters];   // the value the UI last learnt
    const float* inputs[2] = {};
    float* outputs[2] = {};
    // The atom ports as the host gave them: their bytes are copied through
    // buffers of our own, since hosts do not all align them for the records.
    const uint8_t* control = nullptr;
    uint8_t* notify = nullptr;
    std::vector<uint64_t> controlCopy;
    std::vector<uint64_t> notifyCopy;

    Transport transport;
    int64_t frame = 0;  // frames run since the instance was made
    vst2::VstTimeInfo time{};
    bool notifyOpen = false;
    LV2_Atom_Forge_Frame sequence{};
};

}  // namespace tavolu::lv2
