// The host-interface fuzzer: each input is a sequence of host calls on one
// fresh effect, decoded byte by byte: any dispatcher opcode with any index,
// value and opt, parameter writes and reads, programs, resume and suspend,
// blocks of hostile audio, event lists, host time records and the editor on
// the off-screen surface. Buffers the host hands over are heap blocks of
// exactly the documented size, so AddressSanitizer sees any access past them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_values.h"
#include "shell/parameter_table.h"
#include "shell/programs.h"

using namespace tavolu;
using namespace tavolu::fuzz;
using namespace vst2;

namespace {

constexpr int kMaxSteps = 64;            // host calls per input
constexpr int kMaxFrames = 4096;         // frames per block
constexpr int kMaxEvents = 8;            // events per list
constexpr int kMaxEventSize = 64;        // bytes an event may declare
constexpr int kLargestTextBuffer = 256;  // bytes: effGetErrorText, the longest the interface has
constexpr int kEffectNameSize = 32;      // bytes the host provides for each text
constexpr int kVendorStringSize = 64;
constexpr int kMaxProgramNameBytes = 40;
constexpr int kLastOpcode = effGetNumMidiOutputChannels + 2;  // and two past the table

// The size of the buffer `ptr` points at for each opcode that writes text.
int textSize(VstInt32 opcode) {
    switch (opcode) {
        case effGetProgramName:
        case effGetProgramNameIndexed: return kProgramNameSize;
        case effGetParamLabel:
        case effGetParamDisplay:
        case effGetParamName: return kParameterTextSize;
        case effGetEffectName: return kEffectNameSize;
        case effGetVendorString:
        case effGetProductString:
        case effShellGetNextPlugin: return kVendorStringSize;
        default: return 0;
    }
}

// A zero-terminated string of any bytes, in a block of exactly its length.
std::unique_ptr<char[]> anyString(FuzzedDataProvider& in, std::size_t maxLength) {
    const std::string bytes = in.ConsumeRandomLengthString(maxLength);
    auto text = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(text.get(), bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
    return text;
}

// One VstEvents record and the events it points at, each allocated at exactly
// the size it declares: its type and byteSize fields and byteSize bytes more.
class EventList {
  public:
    explicit EventList(FuzzedDataProvider& in) {
        const int count = in.ConsumeIntegralInRange(0, kMaxEvents);
        words_.assign(2 + std::max(count, 2), 0);
        for (int i = 0; i < count; ++i) {
            if (in.ConsumeIntegralInRange(0, 7) == 0) continue;  // a hole in the list
            words_[2 + i] = reinterpret_cast<VstIntPtr>(makeEvent(in));
        }
        auto* list = record();
        list->numEvents =
            in.ConsumeIntegralInRange(0, 15) == 0 ? -in.ConsumeIntegral<uint8_t>() : count;
    }
    VstEvents* record() { return reinterpret_cast<VstEvents*>(words_.data()); }

  private:
    VstEvent* makeEvent(FuzzedDataProvider& in) {
        static constexpr VstInt32 kTypes[] = {kVstMidiType, kVstSysExType, 0, 2, -1};
        const VstInt32 type = in.ConsumeBool() ? kVstMidiType : in.PickValueInArray(kTypes);
        static constexpr int kSizes[] = {32, 16, 24, 8, 12, 28, 0};
        const int declared = in.ConsumeBool() ? in.PickValueInArray(kSizes)
                                              : in.ConsumeIntegralInRange(0, kMaxEventSize);
        // byteSize counts what follows the type and byteSize fields.
        const int bytes = 2 * int(sizeof(VstInt32)) + declared;
        auto& block = storage_.emplace_back(static_cast<std::size_t>(bytes));
        const std::vector<uint8_t> body = in.ConsumeBytes<uint8_t>(block.size());
        if (!body.empty()) std::memcpy(block.data(), body.data(), body.size());
        std::memcpy(block.data(), &type, sizeof type);
        std::memcpy(block.data() + sizeof type, &declared, sizeof declared);
        const std::size_t midiAt = offsetof(VstMidiEvent, midiData);
        if (type == kVstMidiType && block.size() >= midiAt + 3 && in.ConsumeBool()) {
            block[midiAt] = static_cast<char>(in.PickValueInArray({0x90, 0x80, 0xB0, 0x9F, 0xF8}));
            block[midiAt + 1] = static_cast<char>(in.ConsumeIntegral<uint8_t>());
            block[midiAt + 2] = static_cast<char>(in.ConsumeIntegral<uint8_t>());
        }
        return reinterpret_cast<VstEvent*>(block.data());
    }

    std::vector<VstIntPtr> words_;  // numEvents, reserved, then the pointers
    std::vector<std::vector<char>> storage_;
};

// One block of audio: four channels of exactly `frames` samples, any of
// which the host may leave out, processed in place or not.
void processBlock(FuzzHost& host, FuzzedDataProvider& in) {
    static constexpr int kFrameCounts[] = {0, 1, 2, 64, 100, 441, 512, 4096};
    const int frames = in.ConsumeBool() ? in.PickValueInArray(kFrameCounts)
                                        : in.ConsumeIntegralInRange(0, kMaxFrames);
    std::vector<std::unique_ptr<float[]>> channels;
    for (int c = 0; c < 4; ++c) {
        channels.push_back(std::make_unique<float[]>(static_cast<std::size_t>(frames)));
        fillAudio(in, channels.back().get(), frames);
    }
    float* inputs[2] = {channels[0].get(), channels[1].get()};
    float* outputs[2] = {channels[2].get(), channels[3].get()};
    float** inputList = inputs;
    float** outputList = in.ConsumeBool() ? outputs : inputs;  // in place
    switch (in.ConsumeIntegralInRange(0, 15)) {
        case 0: inputs[0] = nullptr; break;
        case 1: inputs[1] = nullptr; break;
        case 2: outputs[0] = nullptr; break;
        case 3: outputs[1] = nullptr; break;
        case 4: inputList = nullptr; break;
        case 5: outputList = nullptr; break;
        default: break;
    }
    if (inputList) {
        for (float* channel : inputs)
            if (channel && !allFinite(channel, frames)) host.noteInputNotFinite();
    }
    trace("process %d frames, in %p %p out %p %p lists %p %p, first %g %g\n", frames,
          static_cast<void*>(inputs[0]), static_cast<void*>(inputs[1]),
          static_cast<void*>(outputs[0]), static_cast<void*>(outputs[1]),
          static_cast<void*>(inputList), static_cast<void*>(outputList),
          frames > 0 ? double{channels[0][0]} : 0.0, frames > 0 ? double{channels[1][0]} : 0.0);
    AEffect* effect = host.effect();
    if (in.ConsumeIntegralInRange(0, 15) == 0) {
        effect->process(effect, inputList, outputList, frames);  // the old accumulating call
        return;
    }
    effect->processReplacing(effect, inputList, outputList, frames);
    if (!outputList || !host.outputMustBeFinite()) return;
    for (float* channel : {outputList[0], outputList[1]})
        if (channel && !allFinite(channel, frames)) fail("output not finite from finite input");
}

void setTimeInfo(FuzzHost& host, FuzzedDataProvider& in) {
    HostAnswers& answers = host.answers();
    answers.timeAvailable = in.ConsumeIntegralInRange(0, 7) != 0;
    VstTimeInfo& t = answers.time;
    t.samplePos = anyDouble(in);
    t.sampleRate = anyDouble(in);
    t.ppqPos = anyDouble(in);
    t.tempo = anyDouble(in);
    t.barStartPos = anyDouble(in);
    t.timeSigNumerator = anyCount(in);
    t.timeSigDenominator = anyCount(in);
    t.flags = in.ConsumeBool() ? 0xFFFF : in.ConsumeIntegral<VstInt32>();
    trace("time %s ppq %g tempo %g bar %g sig %d/%d flags %x\n",
          answers.timeAvailable ? "on" : "off", t.ppqPos, t.tempo, t.barStartPos,
          t.timeSigNumerator, t.timeSigDenominator, static_cast<unsigned>(t.flags));
}

void editorCall(FuzzHost& host, FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0:
            host.dispatch(effEditOpen, 0, 0, nullptr);  // no parent window: off-screen
            host.editorOpen = true;
            break;
        case 1: host.dispatch(effEditIdle); break;
        case 2:
            host.dispatch(effEditKeyDown, in.ConsumeIntegral<VstInt32>(), anyValue(in), nullptr,
                          anyFloat(in));
            break;
        case 3:
            host.dispatch(effEditKeyUp, in.ConsumeIntegral<VstInt32>(), anyValue(in), nullptr,
                          anyFloat(in));
            break;
        case 4:
            host.dispatch(effEditClose);
            host.editorOpen = false;
            break;
        case 5: {
            ERect* rect = nullptr;
            host.dispatch(effEditGetRect, 0, 0, &rect);
            if (rect && (rect->right <= rect->left || rect->bottom <= rect->top))
                fail("the editor's rectangle is empty");
            break;
        }
        default: host.dispatch(effSetEditKnobMode, 0, anyValue(in)); break;
    }
}

void renameProgram(FuzzHost& host, FuzzedDataProvider& in) {
    auto name = anyString(in, kMaxProgramNameBytes);
    host.dispatch(effSetProgramName, 0, 0, name.get());
    auto shown = std::make_unique<char[]>(kProgramNameSize);
    host.dispatch(effGetProgramName, 0, 0, shown.get());
    if (!std::memchr(shown.get(), '\0', kProgramNameSize)) fail("program name without terminator");
    // A stored "User" is shown with the program's number; anything else as cut.
    if (std::strcmp(name.get(), "User") != 0 &&
        std::strncmp(shown.get(), name.get(), kProgramNameSize - 1) != 0)
        fail("program name not read back as written");
}

void changeProgram(FuzzHost& host, FuzzedDataProvider& in) {
    const VstIntPtr before = host.dispatch(effGetProgram);
    const VstIntPtr program =
        in.ConsumeBool() ? in.ConsumeIntegralInRange(-1, kNumPrograms) : anyValue(in);
    host.dispatch(effSetProgram, 0, program);
    const bool valid = program >= 0 && program < kNumPrograms;
    if (host.dispatch(effGetProgram) != (valid ? program : before))
        fail("effGetProgram after effSetProgram", static_cast<long>(program));
    auto name = std::make_unique<char[]>(kProgramNameSize);
    const VstInt32 index = in.ConsumeIntegralInRange(-1, kNumPrograms);
    host.dispatch(effGetProgramNameIndexed, index, anyValue(in), name.get());
}

// Any opcode, with a ptr that is null or a block the opcode can take.
void anyDispatch(FuzzHost& host, FuzzedDataProvider& in) {
    const VstInt32 opcode = in.ConsumeIntegralInRange(0, 7) == 0
                                ? in.ConsumeIntegral<VstInt32>()
                                : in.ConsumeIntegralInRange(0, kLastOpcode);
    VstInt32 index = anyIndex(in);
    VstIntPtr value = anyValue(in);
    float opt = anyFloat(in);
    const bool nullPtr = in.ConsumeIntegralInRange(0, 3) == 0;
    void* slots[2] = {nullptr, nullptr};  // for opcodes that answer through pointers
    std::unique_ptr<char[]> text;
    std::vector<char> block(kLargestTextBuffer);
    void* ptr = nullPtr ? nullptr : block.data();
    switch (opcode) {
        case effClose: return;  // the run ends with it; see ~FuzzHost
        case effEditOpen: ptr = nullptr; break;
        case effSetProgramName:
        case effCanDo:
        case effString2Parameter:
            text = anyString(in, kMaxProgramNameBytes);
            ptr = nullPtr ? nullptr : text.get();
            break;
        case effGetSpeakerArrangement:
        case effSetSpeakerArrangement:
            value = in.ConsumeBool() ? reinterpret_cast<VstIntPtr>(&slots[0]) : 0;
            ptr = nullPtr ? nullptr : &slots[1];
            break;
        case effSetChunk: value = static_cast<VstIntPtr>(block.size()); break;
        case effProcessEvents: {
            EventList events(in);
            host.dispatch(opcode, index, value, nullPtr ? nullptr : events.record(), opt);
            return;
        }
        default:
            if (const int size = textSize(opcode); size > 0 && !nullPtr) {
                text = std::make_unique<char[]>(static_cast<std::size_t>(size));
                ptr = text.get();
            }
            break;
    }
    host.dispatch(opcode, index, value, ptr, opt);
    if (opcode == effMainsChanged && value != 0) host.noteResume();
    if (opcode == effEditOpen) host.editorOpen = true;
    if (opcode == effEditClose) host.editorOpen = false;
    if (textSize(opcode) > 0 && text && !std::memchr(text.get(), '\0', textSize(opcode))) {
        // An answer to a request the effect does not take may leave it blank.
        if (text[0] != '\0') fail("text answer without terminator", opcode);
    }
}

void step(FuzzHost& host, FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 13)) {
        case 0: anyDispatch(host, in); break;
        case 1: host.setParameter(anyIndex(in), anyFloat(in)); break;
        case 2: host.checkParameter(anyIndex(in)); break;
        case 3: host.checkTexts(anyIndex(in)); break;
        case 4: changeProgram(host, in); break;
        case 5: renameProgram(host, in); break;
        case 6:
            if (in.ConsumeBool()) {
                host.dispatch(effMainsChanged, 0, 1);
                host.noteResume();
            } else {
                host.dispatch(effMainsChanged, 0, 0);
            }
            break;
        case 7: {
            float rate = in.ConsumeBool() ? in.PickValueInArray({44100.0f, 48000.0f, 96000.0f,
                                                                 192000.0f, 79.0f, 80.0f, 1.0f})
                                          : anyFloat(in);
            host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
            break;
        }
        case 8: host.dispatch(effSetBlockSize, 0, anyValue(in)); break;
        case 9:
        case 10: processBlock(host, in); break;
        case 11: {
            EventList events(in);
            host.dispatch(effProcessEvents, 0, 0, events.record());
            break;
        }
        case 12: setTimeInfo(host, in); break;
        default: editorCall(host, in); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Building the editor decodes the skin, which costs more than most runs:
    // a quarter of the inputs have one.
    FuzzHost host(in.ConsumeIntegralInRange(0, 3) == 0);
    // Most hosts set up before the first resume; the fuzzer may skip it.
    if (in.ConsumeBool()) {
        host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        host.dispatch(effSetBlockSize, 0, kMaxFrames);
        host.dispatch(effMainsChanged, 0, 1);
    }
    for (int k = 0; k < kMaxSteps && in.remaining_bytes() > 0; ++k) step(host, in);
    return 0;
}
