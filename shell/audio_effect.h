// The plug-in side of the VST 2.4 interface: the host record, the decoding of
// the host's requests and the wrapper of the host callback. Tavolu derives from
// AudioEffectX, which derives from this.
//
// AudioEffect holds what every effect has (the host record, the editor, the
// host callback, sample rate, block size, program and parameter counts) and
// the operations a 1.0 host asks for; AudioEffectX adds the 2.x requests and
// the dispatcher that routes them all.
#pragma once

#include "engine/shared_value.h"
#include "host_interface/vst2.h"
#include "shell/editor_interface.h"
#include "shell/host_services.h"

namespace tavolu {

class AudioEffect {
  public:
    AudioEffect(vst2::audioMasterCallback callback, vst2::VstInt32 programCount,
                vst2::VstInt32 parameterCount);
    virtual ~AudioEffect() = default;
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    vst2::AEffect* getAeffect() { return &cEffect; }

    // [UI thread] Called by the editor base when it is constructed: the effect
    // now has an editor, and the host is told so through effFlagsHasEditor.
    void setEditor(AEffEditor* newEditor) {
        editor = newEditor;
        if (editor) {
            cEffect.flags |= vst2::effFlagsHasEditor;
        } else {
            cEffect.flags &= ~vst2::effFlagsHasEditor;
        }
    }
    AEffEditor* getEditor() const { return editor; }

    // [UI thread] Every host request; the answer is pointer-sized.
    virtual vst2::VstIntPtr dispatcher(vst2::VstInt32 opcode, vst2::VstInt32 index,
                                       vst2::VstIntPtr value, void* ptr, float opt) = 0;

    // Parameters. [any thread]
    virtual void setParameter(vst2::VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(vst2::VstInt32 /*index*/) { return 0.0f; }
    // [any thread] What an editor control does: the write, then the host is told.
    void setParameterAutomated(vst2::VstInt32 index, float value);
    // [UI thread] Texts for the host; `text` is the host's buffer.
    virtual void getParameterName(vst2::VstInt32 /*index*/, char* /*text*/) {}
    virtual void getParameterLabel(vst2::VstInt32 /*index*/, char* /*text*/) {}
    virtual void getParameterDisplay(vst2::VstInt32 /*index*/, char* /*text*/) {}

    // Programs. [UI thread]
    virtual void setProgram(vst2::VstInt32 program) { curProgram = program; }
    virtual vst2::VstInt32 getProgram() { return curProgram; }
    virtual void setProgramName(const char* /*name*/) {}
    virtual void getProgramName(char* name) { name[0] = '\0'; }

    // Set-up. [UI thread]
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(vst2::VstInt32 size) { blockSize = size; }
    virtual void suspend() {}
    virtual void resume() {}

    // Audio. [audio thread]
    virtual void process(float** /*inputs*/, float** /*outputs*/, vst2::VstInt32 /*frames*/) {}
    virtual void processReplacing(float** /*inputs*/, float** /*outputs*/,
                                  vst2::VstInt32 /*frames*/) {}
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        vst2::VstInt32 /*frames*/) {}

    const HostServices& hostServices() const { return host; }
    float getSampleRate() const { return sampleRate; }
    vst2::VstInt32 getBlockSize() const { return blockSize; }

  protected:
    vst2::AEffect cEffect{};
    AEffEditor* editor = nullptr;
    HostServices host;
    Shared<float> sampleRate{44100.0f};  // Hz
    vst2::VstInt32 blockSize = 1024;     // samples; kept for the host, read by nobody
    vst2::VstInt32 numPrograms;
    vst2::VstInt32 numParams;
    Shared<vst2::VstInt32> curProgram{0};
};

// The 2.x layer: identity, capabilities, events, indexed program names, and
// the dispatcher over the whole opcode range.
class AudioEffectX : public AudioEffect {
  public:
    using AudioEffect::AudioEffect;

    vst2::VstIntPtr dispatcher(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                               void* ptr, float opt) override;

    // [UI thread] Resuming announces that the effect wants MIDI events.
    void resume() override { host.wantMidi(); }

    // [audio thread] The host's event list; `events` is never null here.
    virtual vst2::VstInt32 processEvents(const vst2::VstEvents& /*events*/) { return 0; }
    // [UI thread] 1 yes, -1 no, 0 don't know.
    virtual vst2::VstIntPtr canDo(const char* /*text*/) { return 0; }
    // [UI thread] Identity strings into buffers of 32, 64 and 64 bytes.
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    // [UI thread] False and nothing written for a program out of range.
    virtual bool getProgramNameIndexed(vst2::VstInt32 /*category*/, vst2::VstInt32 /*index*/,
                                       char* /*text*/) {
        return false;
    }
};

}  // namespace tavolu
