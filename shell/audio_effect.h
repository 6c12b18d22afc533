// The plug-in side of the VST 2.4 interface: the host record, the decoding of
// the host's requests and the wrapper of the host callback. Tavolu derives from
// AudioEffectX, which derives from this.
//
// (Skeleton: the shell fills in the rest. setEditor / getEditor are what the
// toolkit's editor base relies on and keep this shape.)
#pragma once

#include "host_interface/vst2.h"
#include "shell/editor_interface.h"

namespace tavolu {

class AudioEffect {
public:
    virtual ~AudioEffect() = default;

    vst2::AEffect* getAeffect() { return &cEffect; }

    // [UI thread] Called by the editor base when it is constructed: the effect
    // now has an editor, and the host is told so through effFlagsHasEditor.
    void setEditor(AEffEditor* newEditor) {
        editor = newEditor;
        if (editor) {
            cEffect.flags |= vst2::effFlagsHasEditor;
        } else {
            cEffect.flags &= ~vst2::effFlagsHasEditor;
        }
    }
    AEffEditor* getEditor() const { return editor; }

protected:
    vst2::AEffect cEffect{};
    AEffEditor* editor = nullptr;
};

}  // namespace tavolu
