// The twenty parameters: what a write does to the engine and to the linked
// parameters, what the host reads back, and the texts it shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/numeric.h"
#include "shell/parameter_table.h"
#include "shell/tavolu.h"
#include "shell/text.h"

namespace tavolu {

using namespace vst2;

namespace {

constexpr double kAttackSecondsPerUnit = 0.25;  // s of attack per unit of "Attack"
constexpr double kAttackUnitsPerSecond = 4.0;   // its inverse, 1/s
constexpr double kLfoDepthPerUnit = 0.5;
constexpr float kLfoFreqOffset = 0.1f;           // the rate law is (value + 0.1)^2
constexpr float kRadiansToCycles = 0.15915494f;  // 1 / 2 pi
constexpr double kPercent = 100.0;
constexpr float kCentre = 0.5f;  // pan position
constexpr double kLargestFloat = std::numeric_limits<float>::max();

// Grid beats and LFO cycles per beat of each choice.
constexpr double kGridBeats[] = {1.0, 2.0, 1.0, 0.5, 0.25, 1.0};
constexpr double kLfoCyclesPerBeat[] = {0.0, 0.125, 0.25, 0.5, 1.0};

float toFloat(double x) {
    return static_cast<float>(x);
}

}  // namespace

// [any thread] NaN and infinities are refused whole: they reach no field, no
// program, no host and no editor.
void Tavolu::setParameter(VstInt32 index, float value) {
    if (index < 0 || !std::isfinite(value)) return;
    if (isParameterIndex(index)) {
        writeParameter(index, value);
        programs[curProgram].storeValue(index, value);
    }
    if (editor) editor->setParameter(index, value);
}

// [any thread]
void Tavolu::writeParameter(int32_t index, float v) {
    switch (index) {
        case kStartEqualsEnd: writeStartEqualsEnd(v); break;
        case kEnd: writeEnd(v); break;
        case kStart: writeStart(v); break;
        case kAttack: writeAttack(v); break;
        case kHold: writeHold(v); break;
        case kDecay: writeDecay(v); break;
        case kStartMode:
            startModeValue = v;
            engine.startMode = choiceNumber(*choiceList(kStartMode), v);
            break;
        case kEndMode:
            endModeValue = v;
            engine.endMode = choiceNumber(*choiceList(kEndMode), v);
            break;
        case kTrigSource: writeTrigSource(v); break;
        case kThreshold: engine.threshold = v; break;
        case kSelectivity: engine.selectivity = v; break;
        case kLfoMod:
            lfoModValue = v;
            engine.lfoDepth = toFloat(double{v} * kLfoDepthPerUnit);
            break;
        case kLfoDelay:
            lfoDelayValue = v;
            engine.lfoDelayStep = toFloat(1.0 / (double{v} * engine.engineSampleRate + 1.0));
            break;
        case kLfoFreq: writeLfoFreq(v); break;
        case kLfoFreqSource: writeLfoFreqSource(v); break;
        case kLfoSync:
            lfoSyncValue = v;
            engine.lfoSync = choiceNumber(*choiceList(kLfoSync), v);
            engine.updateHoldSource();
            break;
        case kLfoSyncFlip: writeLfoSyncFlip(v); break;
        case kCenterVol: engine.centerVolTarget = v; break;
        case kDryWet: engine.dryWetTarget = v; break;
        case kStereo: engine.stereoTarget = v; break;
        default: break;
    }
}

// [any thread] Turning it on centres both ends; turning it off leaves them.
void Tavolu::writeStartEqualsEnd(float v) {
    engine.startEqualsEnd = v > 0.5f;
    if (!engine.startEqualsEnd) return;
    engine.endTarget = kCentre;
    engine.envelopePosition = kCentre;
    engine.startValue = kCentre;
    engine.endValue = kCentre;
    host.automate(kStart, kCentre);
    host.automate(kEnd, kCentre);
}

// [any thread]
void Tavolu::writeEnd(float v) {
    engine.endTarget = v;
    engine.endValue = v;  // the resting position follows at once
    if (engine.startEqualsEnd) {
        engine.startValue = v;
        host.automate(kStart, v);
    }
}

// [any thread]
void Tavolu::writeStart(float v) {
    engine.startValue = v;
    if (engine.startEqualsEnd) {
        engine.endValue = v;
        host.automate(kEnd, v);
    }
}

// [any thread] Attack, Hold and Decay lie on one time line from the trigger:
// a longer attack pushes the two later ends out.
void Tavolu::writeAttack(float v) {
    attackValue = v;
    const float attack = toFloat(double{v} * kAttackSecondsPerUnit);
    engine.attackTime = attack;
    if (engine.decayTime < attack) {
        engine.decayTime = attack;
        host.automate(kDecay, attack);
        engine.setDecayTime(attack);
    }
    if (engine.holdTime < attack) {
        engine.holdTime = attack;
        host.automate(kHold, attack);
    }
    engine.setHoldTime(engine.holdTime);
    engine.setAttackTime(attack);
    engine.updateDecayIncrement();
}

// [any thread] The attack may not end after the hold or decay end at `v`:
// it is moved there and the host is told of the "Attack" value that gives it.
// That value saturates at the largest float: for an absurd `v` it would
// otherwise be infinite, which neither the host nor getParameter may see.
void Tavolu::pullAttackTo(float v) {
    engine.attackTime = v;
    attackValue =
        toFloat(std::clamp(double{v} * kAttackUnitsPerSecond, -kLargestFloat, kLargestFloat));
    host.automate(kAttack, attackValue);
    engine.setAttackTime(v);
}

// [any thread] A hold end before the attack end pulls the attack in; one past
// the decay end pushes the decay out.
void Tavolu::writeHold(float v) {
    engine.holdTime = v;
    if (engine.attackTime > v) pullAttackTo(v);
    if (v > engine.decayTime) {
        engine.decayTime = v;
        host.automate(kDecay, v);
        engine.setDecayTime(v);
    }
    engine.setHoldTime(v);
    engine.updateDecayIncrement();
}

// [any thread] A decay end before the attack or hold end pulls them in.
void Tavolu::writeDecay(float v) {
    engine.decayTime = v;
    if (engine.attackTime > v) pullAttackTo(v);
    if (engine.holdTime > v) {
        engine.holdTime = v;
        host.automate(kHold, v);
    }
    engine.setHoldTime(engine.holdTime);
    engine.setDecayTime(v);
    engine.updateDecayIncrement();
}

// [any thread] Exactly one trigger source is enabled; a choice outside the
// list enables none and keeps the grid spacing.
void Tavolu::writeTrigSource(float v) {
    trigSourceValue = v;
    const int8_t source = choiceNumber(*choiceList(kTrigSource), v);
    engine.trigSource = source;
    engine.gridTriggerEnabled = false;
    engine.lfoTriggerEnabled = false;
    engine.audioTriggerEnabled = false;
    if (source == 0) {
        engine.audioTriggerEnabled = true;
    } else if (source >= 1 && source <= 4) {
        engine.gridTriggerEnabled = true;
    } else if (source == 5) {
        engine.lfoTriggerEnabled = true;
    }
    if (source >= 0 && source <= 5) engine.gridBeats = kGridBeats[source];
    engine.requestTimeInfo();
    engine.updateHoldSource();
}

// [any thread] The manual rate law, from the stored "LFO Freq" value and the
// rate scale of the last resume.
void Tavolu::setManualLfoRate() {
    const float u = toFloat(double{engine.lfoFreqValue} + double{kLfoFreqOffset});
    engine.lfoPhaseStep = toFloat(double{engine.lfoRateScale} * double{u} * double{u});
}

// [any thread] Turning the rate knob takes the LFO back to the manual rate.
// The host is not told; the hold source is left as it was.
void Tavolu::writeLfoFreq(float v) {
    engine.lfoFreqValue = v;
    engine.lfoFreqSource = 0;
    setManualLfoRate();
    lfoFreqSourceValue = 0.0f;
    engine.lfoCyclesPerBeat = 0.0;
}

// [any thread] A choice outside the list leaves the rate as it is.
void Tavolu::writeLfoFreqSource(float v) {
    lfoFreqSourceValue = v;
    const int8_t source = choiceNumber(*choiceList(kLfoFreqSource), v);
    engine.lfoFreqSource = source;
    if (source >= 0 && source <= 4) engine.lfoCyclesPerBeat = kLfoCyclesPerBeat[source];
    if (source == 0) setManualLfoRate();
    engine.requestTimeInfo();
    engine.updateHoldSource();
}

// [any thread] Every write reverses the direction the next LFO reset starts
// in; an "off" write right after an "on" write (no reset between) reverses it
// once more, so together they leave it where the "on" write put it.
void Tavolu::writeLfoSyncFlip(float v) {
    engine.lfoSyncFlip = v;
    engine.lfoDirection = -engine.lfoDirection;
    if (v != 0.0f) {
        engine.flipPending = true;
    } else if (engine.flipPending) {
        engine.lfoDirection = -engine.lfoDirection;
        engine.flipPending = false;
    }
}

// [any thread]
float Tavolu::getParameter(VstInt32 index) {
    switch (index) {
        case kStartEqualsEnd: return engine.startEqualsEnd ? 1.0f : 0.0f;
        case kEnd: return engine.endValue;
        case kStart: return engine.startValue;
        case kAttack: return attackValue;
        case kHold: return engine.holdTime;
        case kDecay: return engine.decayTime;
        case kStartMode: return startModeValue;
        case kEndMode: return endModeValue;
        case kTrigSource: return trigSourceValue;
        case kThreshold: return engine.threshold;
        case kSelectivity: return engine.selectivity;
        case kLfoMod: return lfoModValue;
        case kLfoDelay: return lfoDelayValue;
        case kLfoFreq: return engine.lfoFreqValue;
        case kLfoFreqSource: return lfoFreqSourceValue;
        case kLfoSync: return lfoSyncValue;
        case kLfoSyncFlip: return engine.lfoSyncFlip;
        case kCenterVol: return engine.centerVolTarget;
        case kDryWet: return engine.dryWetTarget;
        case kStereo: return engine.stereoTarget;
        default: return 0.0f;
    }
}

// [UI thread]
void Tavolu::getParameterName(VstInt32 index, char* text) {
    if (const char* name = parameterName(index)) copyText(text, name, kParameterTextSize);
}

// [UI thread]
void Tavolu::getParameterLabel(VstInt32 index, char* text) {
    copyText(text, parameterLabel(index), kParameterTextSize);
}

// [UI thread] Formatted whole in a local buffer first; the host gets at most
// kParameterTextSize bytes of it, which only an absurd value would exceed.
void Tavolu::getParameterDisplay(VstInt32 index, char* text) {
    if (isParameterIndex(index)) formatDisplay(index, text);
}

// [UI thread]
void Tavolu::formatDisplay(int32_t index, char* text) {
    char buffer[64];
    const auto number = [&buffer](const char* format, double x) {
        std::snprintf(buffer, sizeof buffer, format, x);
        return buffer;
    };
    const auto onOff = [](bool on) { return on ? "On" : "Off"; };
    const char* shown = nullptr;
    switch (index) {
        case kStartEqualsEnd: shown = onOff(engine.startEqualsEnd); break;
        case kEnd: shown = number("  %.2f  ", engine.endValue); break;
        case kStart: shown = number("  %.2f  ", engine.startValue); break;
        case kAttack: shown = number("  %.2f  ", attackValue); break;
        case kHold: shown = number("  %.2f  ", engine.holdTime); break;
        case kDecay: shown = number("  %.2f  ", engine.decayTime); break;
        case kStartMode: shown = choiceText(*choiceList(index), engine.startMode); break;
        case kEndMode: shown = choiceText(*choiceList(index), engine.endMode); break;
        case kTrigSource: shown = choiceText(*choiceList(index), engine.trigSource); break;
        case kThreshold: shown = number("  %.2f   ", double{engine.threshold} * kPercent); break;
        case kSelectivity: shown = number("  %.2f  ", engine.selectivity); break;
        case kLfoMod: shown = number("  %.2f  ", lfoModValue); break;
        case kLfoDelay: shown = number("  %.2f  ", lfoDelayValue); break;
        case kLfoFreq: {
            // The rate the LFO runs at now, whatever set it.
            const double hz = double{engine.engineSampleRate} * double{engine.lfoPhaseStep} *
                              double{kRadiansToCycles};
            shown = number("  %.2f", hz);
            break;
        }
        case kLfoFreqSource: shown = choiceText(*choiceList(index), engine.lfoFreqSource); break;
        case kLfoSync: shown = choiceText(*choiceList(index), engine.lfoSync); break;
        case kLfoSyncFlip: shown = onOff(engine.lfoSyncFlip != 0.0f); break;
        case kCenterVol: shown = number("  %.2f  ", engine.centerVolTarget); break;
        case kDryWet: shown = number("  %.2f  ", double{engine.dryWetTarget} * kPercent); break;
        case kStereo: shown = engine.stereoTarget == 0.0f ? "Mono" : "Stereo"; break;
        default: break;
    }
    if (shown) copyText(text, shown, kParameterTextSize);
}

}  // namespace tavolu
