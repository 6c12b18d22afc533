// The LV2 UI's entry point: the descriptor the host finds by lv2ui_descriptor,
// and the glue from its C calls to the UI.
#include <lv2/ui/ui.h>

#include <cstring>

#include "lv2/identity.h"
#include "lv2/ui.h"

namespace {

using tavolu::lv2::Ui;

// [UI thread]
LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, tavolu::lv2::kPluginUri) != 0) return nullptr;
    return Ui::create(write, controller, features, widget);
}

// [UI thread]
void cleanup(LV2UI_Handle handle) {
    delete static_cast<Ui*>(handle);
}

// [UI thread]
void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    static_cast<Ui*>(handle)->portEvent(port, size, format, buffer);
}

// [UI thread]
int idle(LV2UI_Handle handle) {
    return static_cast<Ui*>(handle)->idle();
}

const LV2UI_Idle_Interface kIdle = {idle};

// [any thread]
const void* extensionData(const char* uri) {
    return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdle : nullptr;
}

const LV2UI_Descriptor kDescriptor = {tavolu::lv2::kUiUri, instantiate, cleanup, portEvent,
                                      extensionData};

}  // namespace

// [any thread]
extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
