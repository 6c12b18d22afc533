// The plug-in's editor. For now it only gives the host the window's size and
// accepts the host's requests; the skin and controls come with the toolkit.
#pragma once

#include "shell/editor_interface.h"

namespace tavolu {

class TavoluEdit : public AEffEditor {
  public:
    // [UI thread] Registers the editor with its effect.
    explicit TavoluEdit(EditorHost* effect);

    // [UI thread] The rectangle is there from construction, before any open.
    bool getRect(vst2::ERect** rect) override;
    // [UI thread] Keeps the host's window; nothing is drawn into it yet.
    bool open(void* parentWindow) override;
    // [UI thread]
    void close() override {}
    void idle() override {}
    // [UI thread] No key is used.
    bool onKeyDown(vst2::VstKeyCode& /*key*/) override { return false; }
    bool onKeyUp(vst2::VstKeyCode& /*key*/) override { return false; }
    void setKnobMode(vst2::VstInt32 /*mode*/) override {}
    // [any thread] No control to refresh yet.
    void setParameter(vst2::VstInt32 /*index*/, float /*value*/) override {}

    // [UI thread] The host's window of the last open.
    void* parentWindow() const { return parent; }

  private:
    EditorHost* effect;
    void* parent = nullptr;
    vst2::ERect rectangle{0, 0, 360, 465};  // px: the skin is 465 x 360
};

}  // namespace tavolu
