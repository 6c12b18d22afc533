// The plug-in's only way to the host: a thin wrapper of the host callback.
// Every service answers 0 and does nothing when there is no callback.
#pragma once

#include "host_interface/vst2.h"

namespace tavolu {

class HostServices {
  public:
    HostServices(vst2::audioMasterCallback callback, vst2::AEffect* effect)
        : callback_(callback), effect_(effect) {}

    bool hasCallback() const { return callback_ != nullptr; }

    // [any thread] The raw call; arguments not given are 0, null or 0.0.
    vst2::VstIntPtr call(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                         void* ptr = nullptr, float opt = 0.0f) const;

    // [UI thread] 0 means the second input is connected.
    vst2::VstIntPtr pinConnected(vst2::VstInt32 input) const;
    // [UI thread] Announces that the plug-in wants MIDI events.
    void wantMidi() const;
    // [audio thread] The host's transport record for the fields in `filter`,
    // or null. The record belongs to the host and is valid until the next call.
    const vst2::VstTimeInfo* getTimeInfo(vst2::VstInt32 filter) const;
    // [any thread] Tells the host that parameter `index` now has `value`.
    void automate(vst2::VstInt32 index, float value) const;
    // [UI thread] Brackets of a mouse gesture on a control.
    void beginEdit(vst2::VstInt32 index) const;
    void endEdit(vst2::VstInt32 index) const;
    // [UI thread]
    void idle() const;
    // [UI thread] Asks the host to re-read program names and parameter values.
    void updateDisplay() const;

    // [UI thread] The host's version answer, asked before an effect exists.
    static vst2::VstIntPtr hostVersion(vst2::audioMasterCallback callback);

  private:
    vst2::audioMasterCallback callback_;
    vst2::AEffect* effect_;
};

}  // namespace tavolu
