// One LV2 plug-in instance in-process, with its ports in buffers of the
// test's own and a URID map, and helpers to write the control sequence and
// read the notify sequence.
#pragma once

#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lv2/messages.h"
#include "lv2/plugin.h"
#include "tools/lv2host/urid_map.h"

namespace tavolu::testing {

using lv2host::UridMap;

struct PositionFields {
    double bar = 0.0, barBeat = 0.0, beatUnit = 4.0, beatsPerBar = 4.0, bpm = 120.0, speed = 1.0;
};

class PluginRig {
  public:
    static constexpr uint32_t kFrames = 512;
    // `misalign`: the atom ports lie that many bytes past 8-byte alignment,
    // as some hosts place them.
    explicit PluginRig(double sampleRate = 44100.0, uint32_t notifyBytes = 65536,
                       uint32_t misalign = 0);

    lv2::Plugin* operator->() { return plugin.get(); }
    bool valid() const { return plugin != nullptr; }

    // Builds the next block's control sequence.
    void clearEvents();
    void addPosition(int64_t frame, const PositionFields& p);
    void addTempoOnly(int64_t frame, double bpm);
    void addNoteOn(int64_t frame);
    void addPatchGet();
    void endEvents();

    // Runs one block of `frames` of `input` on both channels.
    void run(float input = 0.0f, uint32_t frames = kFrames);
    std::vector<lv2::Message> messages() const;

    std::array<float, kNumParameters> controls{};
    std::vector<float> inLeft, inRight, outLeft, outRight;
    UridMap map;
    lv2::Urids urids{};

  private:
    std::unique_ptr<lv2::Plugin> plugin;
    LV2_Atom_Forge forge{};
    LV2_Atom_Forge_Frame sequence{};
    std::vector<uint64_t> control, notify;          // aligned, as the test writes and reads them
    std::vector<uint64_t> hostControl, hostNotify;  // where the plug-in sees them
    uint32_t notifyBytes;
    uint32_t misalign;
};

}  // namespace tavolu::testing
