// The effect and its editor as a host drives them: a transport that moves on
// with the processed audio, audio in 512-frame blocks between two idles of the
// editor, and the editor's window off-screen (no parent window). Every call
// goes through the effect's dispatcher and process entry, as a host makes it.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "editor/tavolu_edit.h"
#include "shell/tavolu.h"
#include "toolkit/frame.h"
#include "toolkit/platform/offscreen_window.h"

namespace tavolu::bench {

constexpr double kSampleRate = 44100.0;  // Hz
constexpr int32_t kBlockSize = 512;      // frames
constexpr double kTempo = 120.0;         // beats per minute

// A stereo input, played in a loop.
struct Signal {
    std::vector<float> left;
    std::vector<float> right;
};

// Noise bursts every 9000 samples over a noise floor that never falls silent:
// every burst triggers a sweep and moves the meters, and the engine reports a
// pan position every 10 ms throughout.
inline Signal reportingSignal(size_t frames) {
    Signal s{std::vector<float>(frames), std::vector<float>(frames)};
    uint32_t state = 12345u;
    for (size_t i = 0; i < frames; ++i) {
        const size_t phase = i % 9000;
        const float decay = phase < 4000 ? 1.0f - static_cast<float>(phase) / 4000.0f : 0.0f;
        const float level = 0.02f + 0.8f * decay;
        state = state * 1664525u + 1013904223u;
        s.left[i] = level * static_cast<float>(static_cast<int32_t>(state) >> 8) / 8388608.0f;
        state = state * 1664525u + 1013904223u;
        s.right[i] = level * static_cast<float>(static_cast<int32_t>(state) >> 8) / 8388608.0f;
    }
    return s;
}

// Digital silence: the engine clears the curve once and then reports only the
// host's tempo.
inline Signal silentSignal(size_t frames) {
    return {std::vector<float>(frames), std::vector<float>(frames)};
}

// The host's transport: playing in 4/4 at kTempo from the song's start, as
// far as the audio processed so far.
struct Transport {
    int64_t framesDone = 0;
    vst2::VstTimeInfo info{};

    const vst2::VstTimeInfo* now() {
        const double quarters = double(framesDone) / kSampleRate * kTempo / 60.0;
        info = {};
        info.samplePos = double(framesDone);
        info.sampleRate = kSampleRate;
        info.ppqPos = quarters;
        info.tempo = kTempo;
        info.barStartPos = std::floor(quarters / 4.0) * 4.0;
        info.timeSigNumerator = 4;
        info.timeSigDenominator = 4;
        info.flags = vst2::kVstTransportPlaying | vst2::kVstPpqPosValid | vst2::kVstTempoValid |
                     vst2::kVstBarsValid | vst2::kVstTimeSigValid;
        return &info;
    }
};

// [any thread] A host that prints nothing and records nothing: it gives its
// version and the time (from the Transport in the effect's user field) and
// answers 0 to everything else.
inline vst2::VstIntPtr quietHost(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32,
                                 vst2::VstIntPtr, void*, float) {
    if (opcode == vst2::audioMasterVersion) return 2400;
    if (opcode == vst2::audioMasterGetTime && effect && effect->user) {
        return reinterpret_cast<vst2::VstIntPtr>(static_cast<Transport*>(effect->user)->now());
    }
    return 0;
}

class EditorRig {
  public:
    // Resumed at kSampleRate with the starting program, the window closed;
    // the host idles the editor `rate` times a second (Hz).
    explicit EditorRig(double rate = 30.0) : idleRate(rate) {
        aeffect->user = &transport;
        dispatch(vst2::effSetSampleRate, 0, 0, nullptr, float(kSampleRate));
        dispatch(vst2::effSetBlockSize, 0, kBlockSize);
        dispatch(vst2::effMainsChanged, 0, 1);
    }
    EditorRig(const EditorRig&) = delete;
    EditorRig& operator=(const EditorRig&) = delete;
    ~EditorRig() { dispatch(vst2::effMainsChanged, 0, 0); }

    vst2::VstIntPtr dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                             vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
    }
    void open() { dispatch(vst2::effEditOpen); }  // no parent: off-screen
    void close() { dispatch(vst2::effEditClose); }
    void idle() { dispatch(vst2::effEditIdle); }

    // Processes the audio of one idle period, in whole blocks, from `signal`:
    // as many blocks as keep the audio level with the idles on average.
    void playPeriod(const Signal& signal) {
        ++periods;
        const auto due = static_cast<int64_t>(double(periods) / idleRate * kSampleRate);
        while (transport.framesDone < due) playBlock(signal);
    }
    // `count` periods of `signal`, each followed by an idle.
    void run(const Signal& signal, int count) {
        for (int n = 0; n < count; ++n) {
            playPeriod(signal);
            idle();
        }
    }

    double idlePeriod() const { return 1.0 / idleRate; }  // s
    TavoluEdit& editor() { return *static_cast<TavoluEdit*>(effect.getEditor()); }
    bool isOpen() { return editor().getFrame() != nullptr; }
    // [while open] The window the editor drew into: with no parent it is one in memory.
    OffscreenWindow& window() {
        return dynamic_cast<OffscreenWindow&>(editor().getFrame()->getWindow());
    }

  private:
    void playBlock(const Signal& signal) {
        const auto length = static_cast<int64_t>(signal.left.size());
        if (at + kBlockSize > length) at = 0;
        float* inputs[2] = {const_cast<float*>(signal.left.data() + at),
                            const_cast<float*>(signal.right.data() + at)};
        float* outputs[2] = {outLeft.data(), outRight.data()};
        aeffect->processReplacing(aeffect, inputs, outputs, kBlockSize);
        at += kBlockSize;
        transport.framesDone += kBlockSize;
    }

    double idleRate;  // Hz
    Transport transport;
    Tavolu effect{&quietHost, &TavoluEdit::create};
    vst2::AEffect* aeffect = effect.getAeffect();
    std::vector<float> outLeft = std::vector<float>(kBlockSize);
    std::vector<float> outRight = std::vector<float>(kBlockSize);
    int64_t at = 0;       // frames into the signal
    int64_t periods = 0;  // idle periods played
};

}  // namespace tavolu::bench
