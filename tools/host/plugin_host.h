// One plug-in instance, loaded and driven the way a DAW drives it: dlopen,
// the exported entry point with our callback, then requests through the
// dispatcher and blocks through processReplacing. Each instance opens the
// library for itself, so two instances of one plug-in share the module.
#pragma once

#include <string>

#include "host_interface/vst2.h"
#include "tools/host/transport.h"

namespace tavolu::host {

class PluginHost {
  public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // [UI thread] Loads the library at path and creates one effect. On failure
    // returns false with a one-line reason and leaves nothing loaded.
    bool load(const std::string& path, std::string& error);
    // [UI thread] Suspends, closes the effect and unloads the library.
    void close();

    vst2::AEffect* effect() const { return effect_; }

    // [UI thread] Identity and parameter texts, read into bounded buffers.
    std::string effectName();
    std::string vendorString();
    std::string productString();
    std::string parameterName(int index);
    std::string parameterLabel(int index);
    std::string parameterDisplay(int index);
    std::string programNameIndexed(int index);
    float getParameter(int index);
    void setParameter(int index, float value);
    void setProgram(int index);
    int currentProgram();

    // [UI thread] The editor, driven as hosts drive it. editorSize gives the
    // rectangle's width and height in pixels, false if the plug-in has none.
    bool hasEditor() const;
    bool editorSize(int& width, int& height);
    // parentWindow: the host's window (an X11 window id on Linux).
    void openEditor(void* parentWindow);
    void idleEditor();
    void closeEditor();

    // [UI thread] What the host answers to time requests from now on.
    void setTransport(const TransportSettings& transport, bool answerTimeInfo);
    // [UI thread] Sample rate, block size and resume, in the order hosts use.
    void start(float sampleRate, int maxBlockSize);

    // [audio thread] Hands the events over before the block they belong to.
    void sendEvents(vst2::VstEvents* events);
    // [audio thread] One block; samplePos (frames from the render's start)
    // is what time requests during this call report.
    void process(float** inputs, float** outputs, int frames, double samplePos);

    // How often the plug-in asked for the time so far.
    int timeRequests() const { return timeRequests_; }

  private:
    // [any thread] The callback every plug-in instance gets.
    static vst2::VstIntPtr hostCallback(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                        vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                                        float opt);
    vst2::VstIntPtr answer(vst2::VstInt32 opcode, vst2::VstInt32 index);
    vst2::VstIntPtr dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0,
                             vst2::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    std::string readText(vst2::VstInt32 opcode, vst2::VstInt32 index);

    void* library_ = nullptr;
    vst2::AEffect* effect_ = nullptr;
    bool started_ = false;

    TransportSettings transport_;
    bool answerTimeInfo_ = true;
    double blockSamplePos_ = 0.0;
    bool firstTimeRequest_ = true;
    int timeRequests_ = 0;
    vst2::VstTimeInfo timeInfo_{};  // the record the last time request points at
};

}  // namespace tavolu::host
