#include "tools/host/demo_signal.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace tavolu::host {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kStepsPerBar = 16;  // sixteenth notes

// A small deterministic noise source (xorshift32), white in -1..1.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

  private:
    std::uint32_t state_;
};

// Each voice adds one hit into mix starting at frame start.
void addKick(std::vector<double>& mix, long start) {
    const long length = kDemoSampleRate * 35 / 100;  // 0.35 s
    double phase = 0.0;
    for (long i = 0; i < length && start + i < static_cast<long>(mix.size()); ++i) {
        const double t = static_cast<double>(i) / kDemoSampleRate;
        const double freq = 45.0 + 105.0 * std::exp(-t / 0.03);  // 150 Hz falling to 45 Hz
        phase += kTwoPi * freq / kDemoSampleRate;
        mix[start + i] += 0.85 * std::exp(-t / 0.09) * std::sin(phase);
    }
}

void addSnare(std::vector<double>& mix, long start, Noise& noise) {
    const long length = kDemoSampleRate / 4;  // 0.25 s
    double previous = 0.0;
    for (long i = 0; i < length && start + i < static_cast<long>(mix.size()); ++i) {
        const double t = static_cast<double>(i) / kDemoSampleRate;
        const double white = noise.next();
        const double bright = white - 0.5 * previous;  // tilt the noise upward
        previous = white;
        const double body = std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.05);
        mix[start + i] += 0.45 * bright * std::exp(-t / 0.06) + 0.35 * body;
    }
}

void addHat(std::vector<double>& mix, long start, Noise& noise, bool open) {
    const double decay = open ? 0.12 : 0.025;  // seconds
    const long length = static_cast<long>(decay * 6.0 * kDemoSampleRate);
    double previous = 0.0;
    for (long i = 0; i < length && start + i < static_cast<long>(mix.size()); ++i) {
        const double t = static_cast<double>(i) / kDemoSampleRate;
        const double white = noise.next();
        const double high = white - previous;  // first difference: a simple high-pass
        previous = white;
        mix[start + i] += 0.12 * high * std::exp(-t / decay);
    }
}

}  // namespace

Audio demoDrumLoop() {
    const double framesPerStep = kDemoSampleRate * 60.0 / kDemoTempo / 4.0;  // a sixteenth
    const long frames = static_cast<long>(framesPerStep * kStepsPerBar * kDemoBars);
    std::vector<double> mix(frames, 0.0);
    Noise noise(0x7A3Du);

    for (int bar = 0; bar < kDemoBars; ++bar) {
        const bool lastBar = bar == kDemoBars - 1;
        for (int step = 0; step < kStepsPerBar; ++step) {
            const long at = std::lround((bar * kStepsPerBar + step) * framesPerStep);
            if (step == 0 || step == 8 || step == 10) addKick(mix, at);
            if (step == 4 || step == 12 || (lastBar && (step == 14 || step == 15)))
                addSnare(mix, at, noise);
            if (step % 2 == 0) addHat(mix, at, noise, step == 14 && !lastBar);
        }
    }

    Audio audio;
    audio.sampleRate = kDemoSampleRate;
    audio.channels = 2;
    audio.format = demoFormat();
    audio.samples.resize(static_cast<std::size_t>(frames) * 2);
    for (long i = 0; i < frames; ++i) {
        const float s = static_cast<float>(std::tanh(mix[i]));  // soft limit below full scale
        audio.samples[2 * i] = s;
        audio.samples[2 * i + 1] = s;
    }
    return audio;
}

}  // namespace tavolu::host
