// Test and benchmark support: writes parameters into an Engine the way the
// effect's parameter setter does (engine fields only: no host automation, no
// program storage, no editor), and the factory settings to write.
#pragma once

#include <array>
#include <cstdint>

#include "engine/engine.h"
#include "engine/numeric.h"

namespace tavolu::testing {

enum Param : int {
    kStartEqualsEnd,
    kEnd,
    kStart,
    kAttack,
    kHold,
    kDecay,
    kStartMode,
    kEndMode,
    kTrigSource,
    kThreshold,
    kSelectivity,
    kLfoMod,
    kLfoDelay,
    kLfoFreq,
    kLfoFreqSource,
    kLfoSync,
    kLfoSyncFlip,
    kCenterVol,
    kDryWet,
    kStereo,
    kParamCount
};

using Program = std::array<float, kParamCount>;

// Rows 0..7: the factory presets; row 8: the starting set of the user programs.
inline constexpr std::array<Program, 9> kFactory = {{
    {0.0f, 0.0f, 0.0f, 0.0f, 0.1f, 0.5f, 0.5f, 0.5f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.3f, 0.5f, 0.5f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 1.0f, 0.5f, 0.0f, 0.1f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f},
    {0.0f, 1.0f, 0.0f, 0.4f, 0.1f, 0.2f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 1.0f, 0.0f, 0.6f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 1.0f, 0.4f, 1.0f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.0f, 1.0f, 0.0f, 0.1f, 0.15f, 0.0f, 0.0f,  0.0f, 0.6f,
     0.3f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f,  0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 1.0f, 1.0f,  0.0f, 0.0f,
     0.3f, 1.0f, 0.0f, 0.9f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
    {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  0.0f, 0.0f,
     0.3f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f},
}};

// The parameter-held values that only the setter's getParameter needs; kept
// here because the Attack/Hold/Decay couplings read attackTime through them.
inline void applyParameter(Engine& e, int index, float v) {
    const double value = v;
    switch (index) {
        case kStartEqualsEnd:
            e.startEqualsEnd = v > 0.5f;
            if (e.startEqualsEnd) {
                e.endTarget = 0.5f;
                e.envelopePosition = 0.5f;
                e.startValue = 0.5f;
                e.endValue = 0.5f;
            }
            break;
        case kEnd:
            e.endTarget = v;
            e.endValue = v;
            if (e.startEqualsEnd) e.startValue = v;
            break;
        case kStart:
            e.startValue = v;
            if (e.startEqualsEnd) e.endValue = v;
            break;
        case kAttack: {
            e.attackTime = static_cast<float>(value * 0.25);
            const float attack = e.attackTime;
            if (e.decayTime < attack) {
                e.decayTime = attack;
                e.setDecayTime(attack);
            }
            if (e.holdTime < attack) e.holdTime = attack;
            e.setHoldTime(e.holdTime);
            e.setAttackTime(attack);
            e.updateDecayIncrement();
            break;
        }
        case kHold:
            e.holdTime = v;
            if (e.attackTime > v) {
                e.attackTime = v;
                e.setAttackTime(v);
            }
            if (v > e.decayTime) {
                e.decayTime = v;
                e.setDecayTime(v);
            }
            e.setHoldTime(v);
            e.updateDecayIncrement();
            break;
        case kDecay:
            e.decayTime = v;
            if (e.attackTime > v) {
                e.attackTime = v;
                e.setAttackTime(v);
            }
            if (e.holdTime > v) e.holdTime = v;
            e.setHoldTime(e.holdTime);
            e.setDecayTime(v);
            e.updateDecayIncrement();
            break;
        case kStartMode: e.startMode = truncToInt8(2.0 * value); break;
        case kEndMode: e.endMode = truncToInt8(2.0 * value); break;
        case kTrigSource: {
            const int8_t source = truncToInt8(5.0 * value);
            e.trigSource = source;
            e.gridTriggerEnabled = false;
            e.lfoTriggerEnabled = false;
            e.audioTriggerEnabled = false;
            constexpr double kGrid[] = {1.0, 2.0, 1.0, 0.5, 0.25, 1.0};
            if (source >= 0 && source <= 5) {
                e.gridBeats = kGrid[source];
                if (source == 0)
                    e.audioTriggerEnabled = true;
                else if (source == 5)
                    e.lfoTriggerEnabled = true;
                else
                    e.gridTriggerEnabled = true;
            }
            e.requestTimeInfo();
            e.updateHoldSource();
            break;
        }
        case kThreshold: e.threshold = v; break;
        case kSelectivity: e.selectivity = v; break;
        case kLfoMod: e.lfoDepth = static_cast<float>(value * 0.5); break;
        case kLfoDelay:
            e.lfoDelayStep = static_cast<float>(1.0 / (value * e.engineSampleRate + 1.0));
            break;
        case kLfoFreq: {
            e.lfoFreqValue = v;
            e.lfoFreqSource = 0;
            const double u = static_cast<float>(value + double{0.1f});
            e.lfoPhaseStep = static_cast<float>(double{e.lfoRateScale} * u * u);
            e.lfoCyclesPerBeat = 0.0;
            break;
        }
        case kLfoFreqSource: {
            const int8_t source = truncToInt8(4.0 * value);
            e.lfoFreqSource = source;
            constexpr double kCycles[] = {0.0, 0.125, 0.25, 0.5, 1.0};
            if (source == 0) {
                e.lfoCyclesPerBeat = 0.0;
                const double u = static_cast<float>(double{e.lfoFreqValue} + double{0.1f});
                e.lfoPhaseStep = static_cast<float>(double{e.lfoRateScale} * u * u);
            } else if (source > 0 && source <= 4) {
                e.lfoCyclesPerBeat = kCycles[source];
            }
            e.requestTimeInfo();
            e.updateHoldSource();
            break;
        }
        case kLfoSync:
            e.lfoSync = truncToInt8(2.0 * value);
            e.updateHoldSource();
            break;
        case kLfoSyncFlip:
            e.lfoSyncFlip = v;
            e.lfoDirection = -e.lfoDirection;
            if (v != 0.0f) {
                e.flipPending = true;
            } else if (e.flipPending) {
                e.lfoDirection = -e.lfoDirection;
                e.flipPending = false;
            }
            break;
        case kCenterVol: e.centerVolTarget = v; break;
        case kDryWet: e.dryWetTarget = v; break;
        case kStereo: e.stereoTarget = v; break;
        default: break;
    }
}

inline void applyProgram(Engine& e, const Program& values) {
    for (int i = 0; i < kParamCount; ++i) applyParameter(e, i, values[i]);
}

}  // namespace tavolu::testing
