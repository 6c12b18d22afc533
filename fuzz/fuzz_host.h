// The host side of the host-interface fuzzer: one effect created through the
// library's entry point, the callback it talks to, and the checks every step
// must pass. A failed check aborts, so libFuzzer keeps the input that led to it.
#pragma once

#include <array>
#include <cstdint>

#include "common/parameter_index.h"
#include "host_interface/vst2.h"

namespace tavolu::fuzz {

// What the callback answers; the fuzzer changes it between calls.
struct HostAnswers {
    bool timeAvailable = true;
    vst2::VstTimeInfo time{};
};

// With TAVOLU_FUZZ_TRACE set, prints each host call, to read a crashing input.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Stops the run with a message naming the broken rule.
[[noreturn]] void fail(const char* rule, long detail = 0);

class FuzzHost {
  public:
    // [UI thread] Creates the effect through VSTPluginMain (aborts if it
    // refuses), or without an editor, as when there is no memory for one.
    explicit FuzzHost(bool withEditor);
    // [UI thread] Closes the effect as hosts do, window first.
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    vst2::AEffect* effect() const { return effect_; }
    HostAnswers& answers() { return answers_; }

    vst2::VstIntPtr dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                             vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    // A parameter write, then the read-back rules: a finite value to a real
    // index reads back as written; anything else changes no parameter.
    void setParameter(vst2::VstInt32 index, float value);
    // A read of any index: finite, and 0 outside the table.
    void checkParameter(vst2::VstInt32 index);
    // Name, label and display of one index into buffers of the promised size,
    // and the display against the value getParameter returns.
    void checkTexts(vst2::VstInt32 index);

    // Resume clears what earlier non-finite input may have left in the state.
    void noteResume() { inputsFinite_ = true; }
    void noteInputNotFinite() { inputsFinite_ = false; }
    // The output must be finite while the audio since the last resume was, and
    // every parameter written so far lay in the interface's range 0..1: a
    // gain of -1e30 from a broken host may overflow, as it would anywhere.
    bool outputMustBeFinite() const { return inputsFinite_ && parametersInRange_; }
    bool editorOpen = false;

  private:
    static vst2::VstIntPtr callback(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                    vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                                    float opt);
    std::array<float, kNumParameters> snapshot() const;

    vst2::AEffect* effect_ = nullptr;
    HostAnswers answers_;
    bool inputsFinite_ = true;
    bool parametersInRange_ = true;
};

}  // namespace tavolu::fuzz
