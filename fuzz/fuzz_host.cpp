#include "fuzz/fuzz_host.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "common/parameter_index.h"
#include "shell/parameter_table.h"
#include "shell/tavolu.h"

extern "C" vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback callback);

namespace tavolu::fuzz {

using namespace vst2;

namespace {

constexpr VstIntPtr kHostVersion = 2400;
constexpr char kUnwritten = '\x7F';             // fills text buffers before a call
constexpr int kLongestCheckedNumber = 1000000;  // beyond it "%.2f" no longer fits the buffer
constexpr double kDisplayTolerance = 0.0051;    // half a step of "%.2f", and rounding

// Factors from the parameter value to the number its display shows.
double displayScale(int32_t index) {
    return index == kThreshold || index == kDryWet ? 100.0 : 1.0;
}

// A buffer of exactly `size` bytes on the heap, so that AddressSanitizer sees
// the first byte written past it.
std::unique_ptr<char[]> textBuffer(int size) {
    auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(size));
    std::memset(buffer.get(), kUnwritten, static_cast<std::size_t>(size));
    return buffer;
}

bool isOutsideItsList(int32_t index, float value) {
    const ChoiceList* list = choiceList(index);
    return list && !choiceText(*list, choiceNumber(*list, value));
}

bool isUnwritten(const char* text) {
    for (int i = 0; i < kParameterTextSize; ++i)
        if (text[i] != kUnwritten) return false;
    return true;
}

void checkTerminated(const char* text, int size, const char* rule) {
    if (std::memchr(text, '\0', static_cast<std::size_t>(size)) == nullptr) fail(rule);
}

// A numeric display, "  0.50  ", against the value it shows.
void checkNumber(int32_t index, const char* text, float value) {
    const double shown = double{value} * displayScale(index);
    if (!(std::fabs(shown) < kLongestCheckedNumber)) return;
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (end == text) fail("numeric display holds no number", index);
    if (std::fabs(parsed - shown) > kDisplayTolerance * displayScale(index))
        fail("display disagrees with getParameter", index);
}

void checkDisplay(int32_t index, const char* text, float value) {
    if (const ChoiceList* list = choiceList(index)) {
        const char* expected = choiceText(*list, choiceNumber(*list, value));
        if (expected && std::strcmp(text, expected) != 0)
            fail("choice display disagrees with getParameter", index);
        return;
    }
    switch (index) {
        case kStartEqualsEnd:
            if (std::strcmp(text, value > 0.5f ? "On" : "Off") != 0) fail("Start=End display");
            return;
        case kLfoSyncFlip:
            if (std::strcmp(text, value != 0.0f ? "On" : "Off") != 0) fail("LFO Sync Flip display");
            return;
        case kStereo:
            if (std::strcmp(text, value == 0.0f ? "Mono" : "Stereo") != 0) fail("Stereo display");
            return;
        case kLfoFreq: return;  // shows the rate the LFO runs at, in Hz
        default: checkNumber(index, text, value); return;
    }
}

}  // namespace

void trace(const char* format, ...) {
    static const bool enabled = std::getenv("TAVOLU_FUZZ_TRACE") != nullptr;
    if (!enabled) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

void fail(const char* rule, long detail) {
    std::fprintf(stderr, "host-interface fuzzer: %s (%ld)\n", rule, detail);
    std::abort();
}

// [UI thread]
FuzzHost::FuzzHost(bool withEditor) {
    if (withEditor) {
        effect_ = VSTPluginMain(&FuzzHost::callback);
    } else if (auto* effect = new (std::nothrow) Tavolu(&FuzzHost::callback)) {
        effect_ = effect->getAeffect();
    }
    if (!effect_) fail("VSTPluginMain refused a host that answers");
    effect_->user = this;  // the host's own field: the callback finds us through it
    if (effect_->numParams != kNumParameters) fail("parameter count", effect_->numParams);
}

// [UI thread]
FuzzHost::~FuzzHost() {
    if (editorOpen) dispatch(effEditClose);
    dispatch(effMainsChanged, 0, 0);
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
}

VstIntPtr FuzzHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    trace("dispatch %d index %d value %ld ptr %p opt %g\n", opcode, index, static_cast<long>(value),
          ptr, double{opt});
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

// [any thread] During VSTPluginMain the record's user field is not set yet.
VstIntPtr FuzzHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 /*index*/,
                             VstIntPtr /*value*/, void* /*ptr*/, float opt) {
    auto* host = effect ? static_cast<FuzzHost*>(effect->user) : nullptr;
    switch (opcode) {
        case audioMasterVersion: return kHostVersion;
        case audioMasterAutomate:
            if (!std::isfinite(opt)) fail("the host was told of a value that is not finite");
            return 0;
        case audioMasterGetTime:
            if (!host || !host->answers_.timeAvailable) return 0;
            return reinterpret_cast<VstIntPtr>(&host->answers_.time);
        default: return 0;
    }
}

std::array<float, kNumParameters> FuzzHost::snapshot() const {
    std::array<float, kNumParameters> values{};
    for (int32_t i = 0; i < kNumParameters; ++i) values[i] = effect_->getParameter(effect_, i);
    return values;
}

void FuzzHost::setParameter(VstInt32 index, float value) {
    const bool takes = isParameterIndex(index) && std::isfinite(value);
    trace("setParameter %d %.9g\n", index, double{value});
    const auto before = takes ? std::array<float, kNumParameters>{} : snapshot();
    effect_->setParameter(effect_, index, value);
    if (takes && !(value >= 0.0f && value <= 1.0f)) parametersInRange_ = false;
    if (!takes) {
        // Bitwise: a refused write may not even turn 0 into -0.
        const auto after = snapshot();
        if (std::memcmp(before.data(), after.data(), sizeof before) != 0)
            fail("a refused write changed a parameter", index);
        return;
    }
    const float read = effect_->getParameter(effect_, index);
    const float expected = index == kStartEqualsEnd ? (value > 0.5f ? 1.0f : 0.0f) : value;
    if (read != expected) fail("getParameter does not return the value written", index);
}

void FuzzHost::checkParameter(VstInt32 index) {
    const float value = effect_->getParameter(effect_, index);
    if (!std::isfinite(value)) fail("getParameter is not finite", index);
    if (!isParameterIndex(index) && value != 0.0f) fail("getParameter outside the table", index);
}

void FuzzHost::checkTexts(VstInt32 index) {
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        auto text = textBuffer(kParameterTextSize);
        dispatch(opcode, index, 0, text.get());
        if (isUnwritten(text.get())) {
            // Only an index outside the table, or a choice written from outside
            // its list, leaves the host's buffer as it was.
            if (isParameterIndex(index) &&
                !isOutsideItsList(index, effect_->getParameter(effect_, index)))
                fail("a parameter text was not written", index);
            continue;
        }
        checkTerminated(text.get(), kParameterTextSize, "parameter text without terminator");
        if (opcode == effGetParamDisplay && isParameterIndex(index))
            checkDisplay(index, text.get(), effect_->getParameter(effect_, index));
    }
}

}  // namespace tavolu::fuzz
