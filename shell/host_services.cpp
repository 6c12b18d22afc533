// The host callback wrapper.
#include "shell/host_services.h"

namespace tavolu {

using namespace vst2;

// [any thread]
VstIntPtr HostServices::call(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) const {
    if (!callback_) return 0;
    return callback_(effect_, opcode, index, value, ptr, opt);
}

// [UI thread]
VstIntPtr HostServices::pinConnected(VstInt32 input) const {
    return call(audioMasterPinConnected, input, 0);
}

// [UI thread]
void HostServices::wantMidi() const {
    call(audioMasterWantMidi, 0, 1);
}

// [audio thread]
const VstTimeInfo* HostServices::getTimeInfo(VstInt32 filter) const {
    return reinterpret_cast<const VstTimeInfo*>(call(audioMasterGetTime, 0, filter));
}

// [any thread]
void HostServices::automate(VstInt32 index, float value) const {
    call(audioMasterAutomate, index, 0, nullptr, value);
}

// [UI thread]
void HostServices::beginEdit(VstInt32 index) const {
    call(audioMasterBeginEdit, index);
}
void HostServices::endEdit(VstInt32 index) const {
    call(audioMasterEndEdit, index);
}
void HostServices::idle() const {
    call(audioMasterIdle);
}
void HostServices::updateDisplay() const {
    call(audioMasterUpdateDisplay);
}

// [UI thread]
VstIntPtr HostServices::hostVersion(audioMasterCallback callback) {
    return HostServices(callback, nullptr).call(audioMasterVersion);
}

}  // namespace tavolu
