// The host's requests, one short case each. Every pointer the host passes is
// checked here before anything reads or writes through it; an opcode without
// a case answers 0 and changes nothing.
#include <cmath>

#include "common/numeric.h"
#include "common/sample_rate.h"
#include "shell/audio_effect.h"

namespace tavolu {

using namespace vst2;

namespace {

constexpr VstIntPtr kCurrentMidiProgramUnknown = -1;

bool isProgramNumber(VstIntPtr k, VstInt32 count) {
    return k >= 0 && k < count;
}

// The key as the host forwards it: the character in index, the virtual key in
// value's low byte and the modifiers in opt's.
VstKeyCode keyCode(VstInt32 index, VstIntPtr value, float opt) {
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    key.modifier = static_cast<unsigned char>(truncToInt32(opt) & 0xFF);
    return key;
}

// Both arrangement pointers are answered with null: the plug-in has no
// arrangement of its own to show.
void clearArrangements(VstIntPtr inputs, void* outputs) {
    if (auto* in = reinterpret_cast<void**>(inputs)) *in = nullptr;
    if (auto* out = static_cast<void**>(outputs)) *out = nullptr;
}

}  // namespace

// [UI thread]
VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
        case effOpen: return 0;
        case effClose: return 1;  // the host record's entry then destroys the effect

        case effSetProgram:
            if (isProgramNumber(value, numPrograms)) setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName:
            if (text) setProgramName(text);
            return 0;
        case effGetProgramName:
            if (text) getProgramName(text);
            return 0;
        case effGetProgramNameIndexed:
            if (!isProgramNumber(index, numPrograms)) return 0;
            if (text) getProgramNameIndexed(static_cast<VstInt32>(value), index, text);
            return 1;

        case effGetParamLabel:
            if (text) getParameterLabel(index, text);
            return 0;
        case effGetParamDisplay:
            if (text) getParameterDisplay(index, text);
            return 0;
        case effGetParamName:
            if (text) getParameterName(index, text);
            return 0;
        case effCanBeAutomated: return 1;

        case effSetSampleRate:
            // A rate the engine cannot run at is not taken; the previous one stays.
            if (supportedSampleRate(opt)) setSampleRate(opt);
            return 0;
        case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
        case effMainsChanged:
            if (value == 0) {
                suspend();
            } else {
                resume();
            }
            return 0;

        case effEditGetRect:
            if (!editor) return 0;
            if (ptr) {
                ERect* rect = nullptr;
                editor->getRect(&rect);
                *static_cast<ERect**>(ptr) = rect;
            }
            return 1;
        case effEditOpen:
            if (!editor) return 0;
            editor->open(ptr);
            return 1;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effEditKeyDown: {
            if (!editor) return 0;
            VstKeyCode key = keyCode(index, value, opt);
            return editor->onKeyDown(key) ? 1 : 0;
        }
        case effEditKeyUp: {
            if (!editor) return 0;
            VstKeyCode key = keyCode(index, value, opt);
            return editor->onKeyUp(key) ? 1 : 0;
        }
        case effSetEditKnobMode:
            if (!editor) return 0;
            editor->setKnobMode(static_cast<VstInt32>(value));
            return 1;

        case effIdentify: return kEffectIdentify;
        case effGetChunk: return 0;  // programs travel as parameters and names only
        case effSetChunk: return 0;
        case effProcessEvents:
            if (ptr) processEvents(*static_cast<const VstEvents*>(ptr));
            return 1;
        case effGetPlugCategory: return kPlugCategEffect;
        case effGetEffectName:
            if (text) getEffectName(text);
            return 1;
        case effGetVendorString:
            if (text) getVendorString(text);
            return 1;
        case effGetProductString:
            if (text) getProductString(text);
            return 1;
        case effCanDo: return text ? canDo(text) : 0;
        case effGetVstVersion: return kVstVersion;
        case effGetCurrentMidiProgram: return kCurrentMidiProgramUnknown;
        case effGetSpeakerArrangement: clearArrangements(value, ptr); return 0;
        case effSetTotalSampleToProcess: return value;

        default: return 0;
    }
}

}  // namespace tavolu
