// The host record's entries and the base set-up of every effect.
#include "shell/audio_effect.h"

#include <cmath>

namespace tavolu {

using namespace vst2;

namespace {

constexpr float kDefaultIoRatio = 1.0f;

AudioEffect* effectOf(AEffect* e) {
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

// [UI thread] effClose destroys the effect after its own close step; the
// record lives inside the effect and must not be touched afterwards.
VstIntPtr dispatchEntry(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                        float opt) {
    AudioEffect* effect = effectOf(e);
    if (!effect) return 0;
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

// [audio thread]
void processEntry(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
    if (AudioEffect* effect = effectOf(e)) effect->process(inputs, outputs, frames);
}

// [audio thread]
void processReplacingEntry(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
    if (AudioEffect* effect = effectOf(e)) effect->processReplacing(inputs, outputs, frames);
}

// [audio thread]
void processDoubleReplacingEntry(AEffect* e, double** inputs, double** outputs, VstInt32 frames) {
    if (AudioEffect* effect = effectOf(e)) effect->processDoubleReplacing(inputs, outputs, frames);
}

// [any thread]
void setParameterEntry(AEffect* e, VstInt32 index, float value) {
    if (AudioEffect* effect = effectOf(e)) effect->setParameter(index, value);
}

// [any thread]
float getParameterEntry(AEffect* e, VstInt32 index) {
    AudioEffect* effect = effectOf(e);
    return effect ? effect->getParameter(index) : 0.0f;
}

}  // namespace

// [UI thread] The record starts cleared; a derived effect sets its own channel
// counts, identifier and flags once it has set itself up.
AudioEffect::AudioEffect(audioMasterCallback callback, VstInt32 programCount,
                         VstInt32 parameterCount)
    : host(callback, &cEffect), numPrograms(programCount), numParams(parameterCount) {
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = programCount;
    cEffect.numParams = parameterCount;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = kDefaultIoRatio;
    cEffect.object = this;
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

// [any thread] A value that is not a number was ignored by the write, so the
// host is not told of it either.
void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    if (std::isfinite(value)) host.automate(index, value);
}

}  // namespace tavolu
