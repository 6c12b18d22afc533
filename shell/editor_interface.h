// What the effect asks of its editor. The editor base of the toolkit
// (AEffGUIEditor) implements it; tests put a double in its place.
#pragma once

#include "host_interface/vst2.h"

namespace tavolu {

class AEffEditor {
  public:
    virtual ~AEffEditor() = default;

    // [UI thread] The editor's rectangle; the pointer stays valid while the editor lives.
    virtual bool getRect(vst2::ERect** rect) = 0;
    // [UI thread] Opens the window as a child of the host's window (an X11 window id on Linux).
    virtual bool open(void* parentWindow) = 0;
    // [UI thread]
    virtual void close() = 0;
    // [UI thread] Pumps window events and redraws what changed.
    virtual void idle() = 0;
    // [UI thread] Keys the host forwards; true when the editor used the key.
    virtual bool onKeyDown(vst2::VstKeyCode& key) = 0;
    virtual bool onKeyUp(vst2::VstKeyCode& key) = 0;
    // [UI thread] The toolkit's process-wide knob mode.
    virtual void setKnobMode(vst2::VstInt32 mode) = 0;

    // [any thread] The parameter-update handler: every parameter write (its
    // index 0..19, or any index >= 20 it was given), and the engine's display
    // reports 22, 23, 25, 36 and 37 from the audio thread. Must never block.
    virtual void setParameter(vst2::VstInt32 index, float value) = 0;
};

}  // namespace tavolu
