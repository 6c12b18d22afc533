// The LV2 UI: the plug-in's own editor in the host's window. It reaches the
// plug-in only through ports, as LV2 wants: it learns values from the host's
// port events and the plug-in's notify messages, and writes through the
// host's write function, with touch notifications around a gesture when the
// host offers them.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>

#include "common/parameter_index.h"
#include "lv2/messages.h"
#include "shell/editor_interface.h"

namespace tavolu {
class TavoluEdit;
}

namespace tavolu::lv2 {

class Ui final : public EditorHost {
  public:
    // [UI thread] Opens the editor in the host's parent window and gives its
    // window as the widget; null without a URID map or a parent window.
    static Ui* create(LV2UI_Write_Function write, LV2UI_Controller controller,
                      const LV2_Feature* const* features, LV2UI_Widget* widget);
    // [UI thread] Closes the editor window.
    ~Ui();
    Ui(const Ui&) = delete;
    Ui& operator=(const Ui&) = delete;

    // [UI thread] A control port's value, or a message on the notify port.
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // [UI thread] The host's idle call; 0 while the UI lives.
    int idle();

    // EditorHost. [UI thread]
    float getParameter(int32_t index) override;
    void setParameterAutomated(int32_t index, float value) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    void updateDisplay() override {}
    void requestTimeInfo() override;
    void attachEditor(AEffEditor* editor) override { attached = editor; }

    TavoluEdit* editor() const { return edit; }

  private:
    Ui(LV2UI_Write_Function write, LV2UI_Controller controller, const Urids& urids,
       LV2_URID_Map* map, const LV2UI_Touch* touch);
    void touch(int32_t index, bool grabbed);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    Urids urids;
    LV2_URID_Map* map;
    const LV2UI_Touch* touchFeature;
    float values[kNumParameters];  // the plug-in's values as far as the UI knows them
    TavoluEdit* edit = nullptr;
    AEffEditor* attached = nullptr;  // the editor that hears value changes
};

}  // namespace tavolu::lv2
