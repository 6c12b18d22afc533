// The two sides of the line between the effect and its editor: what the
// effect asks of its editor (AEffEditor, implemented by the editor base
// AEffGUIEditor), and what the editor may ask of its effect (EditorHost,
// implemented by the shell). Tests put doubles on either side; another
// plug-in format can host the same editor through its own EditorHost.
#pragma once

#include <cstdint>

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

// Everything the editor may do to its effect.
class EditorHost {
  public:
    // [any thread] The parameter's current value (0..1 as written); 0 for an
    // index that is not a parameter.
    virtual float getParameter(int32_t index) = 0;
    // [UI thread] What a control does: the parameter write, then the host is
    // told through audioMasterAutomate.
    virtual void setParameterAutomated(int32_t index, float value) = 0;
    // [UI thread] Brackets of one gesture of the user on the control of the
    // parameter `index` (audioMasterBeginEdit, audioMasterEndEdit).
    virtual void beginEdit(int32_t index) = 0;
    virtual void endEdit(int32_t index) = 0;
    // [UI thread] Asks the host to re-read program names and parameter values.
    virtual void updateDisplay() = 0;
    // [any thread] The next processed block asks the host for its time again,
    // and so reports the tempo to the editor.
    virtual void requestTimeInfo() = 0;
    // [UI thread] Makes `editor` the one that hears parameter writes and
    // display reports; null detaches it.
    virtual void attachEditor(AEffEditor* editor) = 0;

  protected:
    ~EditorHost() = default;
};

}  // namespace tavolu
