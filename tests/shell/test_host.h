// A host for tests: loads the built plug-in library the way a host does,
// records every callback the plug-in makes, and drives the effect through its
// host record only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host_interface/vst2.h"

namespace tavolu::testing {

struct HostCall {
    vst2::VstInt32 opcode;
    vst2::VstInt32 index;
    vst2::VstIntPtr value;
    float opt;
    bool withEffect;  // the effect record was passed (null only before it exists)
};

class TestHost {
  public:
    TestHost();
    ~TestHost();  // closes the effect if the test did not
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Loads the library and calls its entry point; the effect, or null.
    vst2::AEffect* load();
    vst2::AEffect* effect() const { return effect_; }

    // Answers of the callback by opcode; unset opcodes answer 0.
    void setAnswer(vst2::VstInt32 opcode, vst2::VstIntPtr answer) { answers_[opcode] = answer; }
    // audioMasterGetTime answers this record when given, else null.
    void giveTimeInfo(const vst2::VstTimeInfo& info);
    void withholdTimeInfo() { timeInfoGiven_ = false; }

    const std::vector<HostCall>& calls() const { return calls_; }
    std::vector<HostCall> callsOf(vst2::VstInt32 opcode) const;
    void clearCalls() { calls_.clear(); }
    // Room for n calls in the log, so that recording up to n calls allocates
    // nothing (the callback itself never does).
    void reserveCalls(std::size_t n) { calls_.reserve(n); }
    // With recording off the callback only answers: it then touches nothing
    // that it writes, and may be called from several threads at once.
    void recordCalls(bool on) { recording_ = on; }

    // Requests through the record.
    vst2::VstIntPtr dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                             vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    void setParameter(vst2::VstInt32 index, float value);
    float getParameter(vst2::VstInt32 index);
    void processReplacing(float** inputs, float** outputs, vst2::VstInt32 frames);
    vst2::VstIntPtr close();  // effClose; the record is gone afterwards

    // Texts the plug-in writes, read from a buffer the host filled with 0x7F.
    std::string parameterName(vst2::VstInt32 index);
    std::string parameterLabel(vst2::VstInt32 index);
    std::string parameterDisplay(vst2::VstInt32 index);
    std::string programName();
    std::string programNameIndexed(vst2::VstInt32 index);
    // The whole text request: opcode's text, and how many bytes it wrote in a
    // 128-byte buffer (up to the last byte that differs from the fill).
    std::string text(vst2::VstInt32 opcode, vst2::VstInt32 index, std::size_t* written = nullptr);

  private:
    static vst2::VstIntPtr callback(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                    vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                                    float opt);
    vst2::VstIntPtr answer(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                           vst2::VstIntPtr value, float opt);

    void* library_ = nullptr;
    vst2::AEffect* effect_ = nullptr;
    std::map<vst2::VstInt32, vst2::VstIntPtr> answers_;
    vst2::VstTimeInfo timeInfo_{};
    bool timeInfoGiven_ = false;
    std::vector<HostCall> calls_;
    bool recording_ = true;
};

// The fill byte of text buffers: what the plug-in did not write stays so.
constexpr char kUnwritten = 0x7F;

}  // namespace tavolu::testing
