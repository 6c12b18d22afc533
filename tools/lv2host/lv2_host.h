// A small LV2 host for the plug-in's bundle, built on lilv: it loads the
// bundle, sets control ports by symbol or by a preset's label, sends the
// song position and MIDI note-ons through the control port as LV2 hosts do,
// and collects what the plug-in writes to its notify port. The tests and
// the LV2 render tool drive the plug-in through it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lv2/messages.h"
#include "tools/host/transport.h"

namespace tavolu::lv2host {

class Lv2Host {
  public:
    Lv2Host();
    ~Lv2Host();
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

    // Loads the bundle folder (…/tavolu.lv2) and instantiates the plug-in at
    // `sampleRate`, its controls at their defaults. False with a reason.
    bool load(const std::string& bundle, double sampleRate, std::string& error);

    // Control port index of a symbol ("trig_source") or a name as the plug-in
    // shows it ("Trig Source", trailing blanks aside); -1 when there is none.
    int controlIndex(const std::string& symbolOrName) const;
    // The value of a scale point of that port by its label; false when none.
    bool scalePoint(int port, const std::string& label, float& value) const;
    void setControl(int port, float value);
    float control(int port) const;
    // The preset with this label; false with a reason when there is none.
    bool applyPreset(const std::string& label, std::string& error);

    // What the host tells the plug-in of its song position: sent with the
    // first block after this call, and carried on by the plug-in itself.
    void setTransport(const host::TransportSettings& transport, bool sendPosition);
    void activate();
    // Ask the plug-in for everything (the UI's patch:Get) with the next block.
    void requestEverything() { pendingGet = true; }

    // One block; `noteOns` are frame offsets inside it. Input channels may be
    // the output buffers (in place).
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 uint32_t frames, const std::vector<int>& noteOns = {});
    // What the plug-in wrote to its notify port in the last block.
    const std::vector<lv2::Message>& messages() const { return received; }

  private:
    struct World;
    void writeControlSequence(const std::vector<int>& noteOns);
    void readNotifySequence();

    std::unique_ptr<World> world;
    std::vector<float> controls;
    host::TransportSettings transport;
    bool positionPending = false;
    bool pendingGet = false;
    std::vector<lv2::Message> received;
};

}  // namespace tavolu::lv2host
