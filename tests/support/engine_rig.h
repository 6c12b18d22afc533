// An engine inside a real effect, for tests and benchmarks. Parameters and
// programs go through the effect's own setter, so what the engine sees is
// exactly what a host's writes would give it; the engine's way out is then
// handed to the caller's double.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "shell/parameter_table.h"
#include "shell/programs.h"
#include "shell/tavolu.h"

namespace tavolu::testing {

// The factory preset rows and the user programs' starting row.
constexpr int32_t kNumFactoryRows = kNumPresets + 1;

class EngineRig {
  public:
    // [UI thread] An effect with no host callback and no editor, resumed at
    // `rate` (Hz) with `program` (0..15) selected, whose engine then reports
    // to `host` (null: no time information and no reports). The program is
    // applied after the resume, so its rate-dependent values are the new rate's.
    explicit EngineRig(EngineHost* host = nullptr, float rate = 44100.0f,
                       int32_t program = kInitialProgram) {
        engine().inputGain = 1.0f;  // one input: the tests' signals are not halved
        effect_.setSampleRate(rate);
        effect_.resume();
        effect_.setProgram(program);
        engine().host = host;
        engine().displayAttached = host != nullptr;
    }
    EngineRig(const EngineRig&) = delete;
    EngineRig& operator=(const EngineRig&) = delete;

    Engine& engine() { return effect_.engineState(); }
    Tavolu& effect() { return effect_; }

    // [any thread] A parameter write, as the host makes it.
    void set(int32_t index, float value) { effect_.setParameter(index, value); }
    // [UI thread] A program selection, as the host makes it.
    void selectProgram(int32_t program) { effect_.setProgram(program); }
    // [UI thread] A row of presetTable written parameter by parameter, as the
    // editor's preset buttons do: into the current program, keeping its name.
    void loadRow(int32_t row) {
        for (int32_t i = 0; i < kNumParameters; ++i) set(i, presetTable[row][i]);
    }

  private:
    static AEffEditor* noEditor(EditorHost&) { return nullptr; }

    Tavolu effect_{nullptr, &noEditor};
};

}  // namespace tavolu::testing
