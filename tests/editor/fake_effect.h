// An effect as the editor sees it, with nothing behind it: parameter values
// in an array, and every request written down in the order it came.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/parameter_index.h"
#include "shell/editor_interface.h"

namespace tavolu::test {

class FakeEffect : public EditorHost {
  public:
    float getParameter(int32_t index) override {
        reads.push_back(index);
        return isParameterIndex(index) ? values[size_t(index)] : 0.0f;
    }
    // Stores the value and tells the editor, as the effect's setter does.
    void setParameterAutomated(int32_t index, float value) override {
        if (isParameterIndex(index)) values[size_t(index)] = value;
        if (editor) editor->setParameter(index, value);
        calls.push_back("automate " + std::to_string(index));
        automated.push_back({index, value});
    }
    void beginEdit(int32_t index) override { calls.push_back("begin " + std::to_string(index)); }
    void endEdit(int32_t index) override { calls.push_back("end " + std::to_string(index)); }
    void updateDisplay() override { calls.push_back("update display"); }
    void requestTimeInfo() override { calls.push_back("time info"); }
    void attachEditor(AEffEditor* e) override { editor = e; }

    std::array<float, kNumParameters> values{};
    std::vector<std::string> calls;
    std::vector<std::pair<int32_t, float>> automated;
    std::vector<int32_t> reads;  // getParameter's indices, in order
    AEffEditor* editor = nullptr;
};

}  // namespace tavolu::test
