// The effect's side of the editor's narrow interface: each request goes to
// the effect, its host services or its engine.
#pragma once

#include "engine/engine.h"
#include "shell/audio_effect.h"
#include "shell/editor_interface.h"

namespace tavolu {

class EditorLink final : public EditorHost {
  public:
    EditorLink(AudioEffect& effect, Engine& engine) : effect(effect), engine(engine) {}

    // [any thread]
    float getParameter(int32_t index) override { return effect.getParameter(index); }
    // [UI thread]
    void setParameterAutomated(int32_t index, float value) override {
        effect.setParameterAutomated(index, value);
    }
    void beginEdit(int32_t index) override { effect.hostServices().beginEdit(index); }
    void endEdit(int32_t index) override { effect.hostServices().endEdit(index); }
    void updateDisplay() override { effect.hostServices().updateDisplay(); }
    // [any thread]
    void requestTimeInfo() override { engine.requestTimeInfo(); }
    // [UI thread]
    void attachEditor(AEffEditor* editor) override { effect.setEditor(editor); }

  private:
    AudioEffect& effect;
    Engine& engine;
};

}  // namespace tavolu
