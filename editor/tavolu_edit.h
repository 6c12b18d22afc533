// The plug-in's editor. For now it only gives the host the window's size and
// accepts the host's requests; the skin and controls come with the toolkit.
#pragma once

#include "shell/audio_effect.h"
#include "shell/editor_interface.h"

namespace tavolu {

class TavoluEdit : public AEffEditor {
  public:
    // [UI thread] Registers the editor with its effect.
    explicit TavoluEdit(AudioEffect* effect);

    bool getRect(vst2::ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override {}
    void idle() override {}
    bool onKeyDown(vst2::VstKeyCode& /*key*/) override { return false; }
    bool onKeyUp(vst2::VstKeyCode& /*key*/) override { return false; }
    void setKnobMode(vst2::VstInt32 /*mode*/) override {}
    void setParameter(vst2::VstInt32 /*index*/, float /*value*/) override {}

    void* parentWindow() const { return parent; }

  private:
    AudioEffect* effect;
    void* parent = nullptr;
    vst2::ERect rectangle{0, 0, 360, 465};  // px: the skin is 465 x 360
};

}  // namespace tavolu
