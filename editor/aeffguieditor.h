// The editor base: the glue between the host's editor requests and a toolkit
// frame. It registers itself with its effect, keeps the rectangle, the host's
// parent window and the frame, and forwards the host's idle, key and knob-mode
// requests. The plug-in's editor derives from it and builds its frame in open().
#pragma once

#include "host_interface/vst2.h"
#include "shell/editor_interface.h"

namespace tavolu {

class CFrame;

class AEffGUIEditor : public AEffEditor {
  public:
    // [UI thread] `effect` may be null (tests); otherwise the editor registers
    // itself with it.
    explicit AEffGUIEditor(EditorHost* effect);
    // Destroys a frame that close() did not.
    ~AEffGUIEditor() override;

    // [UI thread]
    bool getRect(vst2::ERect** rect) override;
    // [UI thread] Stores the parent window; the derived editor builds the frame.
    bool open(void* parentWindow) override;
    // [UI thread] Destroys the frame, if any, and forgets the parent.
    void close() override;
    // [UI thread] Delivers waiting window events and redraws what changed.
    // Never waits for input.
    void idle() override;
    // [UI thread] Keys go to the frame's focus view; true when one used it.
    bool onKeyDown(vst2::VstKeyCode& key) override;
    bool onKeyUp(vst2::VstKeyCode& key) override;
    // [UI thread]
    void setKnobMode(vst2::VstInt32 mode) override;
    // [any thread] The parameter-update handler; the derived editor overrides it.
    void setParameter(vst2::VstInt32 index, float value) override;

    EditorHost* getEffect() const { return effect; }
    CFrame* getFrame() const { return frame; }
    void* getParentWindow() const { return systemWindow; }
    bool isOpen() const { return frame != nullptr; }

  protected:
    EditorHost* effect;
    vst2::ERect rect{};
    CFrame* frame = nullptr;
    void* systemWindow = nullptr;
};

}  // namespace tavolu
