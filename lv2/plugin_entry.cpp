// The LV2 entry point: the descriptor the host finds by lv2_descriptor, and
// the glue from its C calls to the plug-in.
#include <lv2/core/lv2.h>

#include "lv2/identity.h"
#include "lv2/plugin.h"

namespace {

using tavolu::lv2::Plugin;

Plugin* self(LV2_Handle handle) {
    return static_cast<Plugin*>(handle);
}

// [UI thread]
LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features) {
    return Plugin::create(sampleRate, features);
}

// [audio thread]
void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    self(handle)->connect(port, data);
}

// [UI thread]
void activate(LV2_Handle handle) {
    self(handle)->activate();
}

// [audio thread]
void run(LV2_Handle handle, uint32_t frames) {
    self(handle)->run(frames);
}

// [UI thread]
void deactivate(LV2_Handle handle) {
    self(handle)->deactivate();
}

// [UI thread]
void cleanup(LV2_Handle handle) {
    delete self(handle);
}

// [any thread] No extension data: no state beyond the ports, no worker.
const void* extensionData(const char*) {
    return nullptr;
}

const LV2_Descriptor kDescriptor = {tavolu::lv2::kPluginUri,
                                    instantiate,
                                    connectPort,
                                    activate,
                                    run,
                                    deactivate,
                                    cleanup,
                                    extensionData};

}  // namespace

// [any thread]
extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
