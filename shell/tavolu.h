// The effect: one instance per plug-in slot in the host. It owns the engine
// state, the program bank and the editor, and answers the host's requests.
#pragma once

#include <array>
#include <cstdint>

#include "engine/engine.h"
#include "engine/shared_value.h"
#include "shell/audio_effect.h"
#include "shell/editor_link.h"
#include "shell/programs.h"

namespace tavolu {

constexpr int32_t kUniqueId = 0x77337A38;  // 'w3z8'

class Tavolu : public AudioEffectX, private EngineHost {
  public:
    // Creates the editor, which reaches the effect only through `effect`
    // and registers itself there. Returns null when it cannot be created.
    using EditorFactory = AEffEditor* (*)(EditorHost& effect);

    // [UI thread] The library's entry point passes the factory of the real
    // editor; tests pass a double, or none for an effect without an editor.
    explicit Tavolu(vst2::audioMasterCallback callback, EditorFactory editorFactory = nullptr);
    ~Tavolu() override;

    // Parameters. [any thread]
    void setParameter(vst2::VstInt32 index, float value) override;
    float getParameter(vst2::VstInt32 index) override;
    // [UI thread]
    void getParameterName(vst2::VstInt32 index, char* text) override;
    void getParameterLabel(vst2::VstInt32 index, char* text) override;
    void getParameterDisplay(vst2::VstInt32 index, char* text) override;

    // Programs. [UI thread]
    void setProgram(vst2::VstInt32 program) override;
    void setProgramName(const char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(vst2::VstInt32 category, vst2::VstInt32 index, char* text) override;

    // Identity and capabilities. [UI thread]
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    vst2::VstIntPtr canDo(const char* text) override;

    // [UI thread, never while processing]
    void resume() override;

    // [audio thread]
    void processReplacing(float** inputs, float** outputs, vst2::VstInt32 frames) override;
    vst2::VstInt32 processEvents(const vst2::VstEvents& events) override;

    // Read access for tests.
    Engine& engineState() { return engine; }
    EditorHost& editorHost() { return editorLink; }
    const TavoluProgram& program(int32_t k) const { return programs[k]; }

  private:
    // EngineHost. [audio thread]
    bool readHostTime(HostTime& time) override;
    void report(int32_t index, float value) override;

    // One case of the parameter write each (parameters.cpp).
    void writeParameter(int32_t index, float value);
    void writeStartEqualsEnd(float v);
    void writeEnd(float v);
    void writeStart(float v);
    void writeAttack(float v);
    void writeHold(float v);
    void pullAttackTo(float v);
    void writeDecay(float v);
    void writeTrigSource(float v);
    void writeLfoFreq(float v);
    void writeLfoFreqSource(float v);
    void writeLfoSyncFlip(float v);
    void setManualLfoRate();
    void formatDisplay(int32_t index, char* text);

    Engine engine;
    EditorLink editorLink{*this, engine};  // the editor's way to the effect

    // Parameter values exactly as written, kept only to answer getParameter.
    Shared<float> attackValue{0.1f};
    Shared<float> startModeValue{0.0f};
    Shared<float> endModeValue{0.0f};
    Shared<float> trigSourceValue{0.0f};
    Shared<float> lfoModValue{0.0f};
    Shared<float> lfoDelayValue{0.0f};
    Shared<float> lfoFreqSourceValue{0.0f};
    Shared<float> lfoSyncValue{0.0f};

    // The bank lives inside the effect, so it is there whenever the effect is.
    std::array<TavoluProgram, kNumPrograms> programs{};
};

}  // namespace tavolu
