#include "fuzz/fuzz_values.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

namespace tavolu::fuzz {

using namespace vst2;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kDenormal = 1.0e-40f;
constexpr float kHuge = 1.0e30f;
constexpr int kParameters = 20;
constexpr double kTwoPi = 6.283185307179586;

enum class Fill { Silence, Impulses, Noise, Sine, Constant, NotFinite, Denormals, Huge };

float anySpecialFloat(FuzzedDataProvider& in) {
    static constexpr float kValues[] = {0.0f,  1.0f,  0.5f,   -0.0f,   kNaN,     kInf,
                                        -kInf, kHuge, -kHuge, FLT_MAX, -FLT_MAX, kDenormal,
                                        -1.0f, 2.0f,  0.999f, 1.0e-7f, 0.2f,     0.8f};
    return in.PickValueInArray(kValues);
}

}  // namespace

float anyFloat(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return anySpecialFloat(in);
        case 1: return in.ConsumeFloatingPointInRange(0.0f, 1.0f);
        case 2: return in.ConsumeFloatingPoint<float>();
        default: {
            // Any bit pattern: signalling NaNs and payloads too.
            const uint32_t bits = in.ConsumeIntegral<uint32_t>();
            float value;
            static_assert(sizeof value == sizeof bits);
            __builtin_memcpy(&value, &bits, sizeof value);
            return value;
        }
    }
}

double anyDouble(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return in.PickValueInArray(
                {0.0, 120.0, 1.0, -1.0, 4.0, 1.0e300, -1.0e300,
                 std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                 -std::numeric_limits<double>::infinity(), 1.0e-310, 9.2e18, 44100.0});
        case 1: return in.ConsumeFloatingPointInRange(-1000.0, 1000.0);
        default: return in.ConsumeFloatingPoint<double>();
    }
}

VstInt32 anyIndex(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0: return in.PickValueInArray({-1, kParameters, INT_MIN, INT_MAX, 255, 256});
        case 1: return in.ConsumeIntegral<VstInt32>();
        default: return in.ConsumeIntegralInRange(0, kParameters - 1);
    }
}

VstIntPtr anyValue(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return in.PickValueInArray<VstIntPtr>({0, 1, -1, INTPTR_MIN, INTPTR_MAX, INT_MAX,
                                                   static_cast<VstIntPtr>(INT_MAX) + 1, INT_MIN,
                                                   4096, 1 << 20});
        case 1: return in.ConsumeIntegral<VstIntPtr>();
        default: return in.ConsumeIntegralInRange<VstIntPtr>(-2, 20);
    }
}

VstInt32 anyCount(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return in.PickValueInArray({4, 3, 0, -1, -4, INT_MIN, INT_MAX});
    return in.ConsumeIntegral<VstInt32>();
}

void fillAudio(FuzzedDataProvider& in, float* samples, int frames) {
    const auto fill = static_cast<Fill>(in.ConsumeIntegralInRange(0, 7));
    const float level = fill == Fill::Huge        ? (in.ConsumeBool() ? FLT_MAX : -kHuge)
                        : fill == Fill::Denormals ? kDenormal
                        : fill == Fill::NotFinite ? anySpecialFloat(in)
                                                  : in.ConsumeFloatingPointInRange(-1.0f, 1.0f);
    const int period = in.ConsumeIntegralInRange(1, 2048);  // frames
    for (int i = 0; i < frames; ++i) {
        switch (fill) {
            case Fill::Silence: samples[i] = 0.0f; break;
            case Fill::Impulses: samples[i] = i % period == 0 ? level : 0.0f; break;
            case Fill::Noise:
                samples[i] = static_cast<float>(in.ConsumeIntegral<int8_t>()) * level / 128.0f;
                break;
            case Fill::Sine:
                samples[i] = level * static_cast<float>(std::sin(kTwoPi * i / period));
                break;
            case Fill::NotFinite:
                // A few bad samples inside ordinary audio, as a broken source sends them.
                samples[i] = i % period == period / 2 ? level : 0.25f;
                break;
            default: samples[i] = level; break;
        }
    }
}

bool allFinite(const float* samples, int frames) {
    for (int i = 0; i < frames; ++i)
        if (!std::isfinite(samples[i])) return false;
    return true;
}

}  // namespace tavolu::fuzz
