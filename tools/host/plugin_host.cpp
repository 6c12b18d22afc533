#include "tools/host/plugin_host.h"

#include <dlfcn.h>

#include <array>
#include <cstring>

namespace tavolu::host {
namespace {

using EntryPoint = vst2::AEffect* (*)(vst2::audioMasterCallback);

// Plug-ins write names without being told a length; this is far beyond what
// any of them writes, and the last byte is forced to zero afterwards.
constexpr std::size_t kTextBuffer = 512;  // bytes

}  // namespace

PluginHost::~PluginHost() {
    close();
}

bool PluginHost::load(const std::string& path, std::string& error) {
    close();
    // dlopen searches the library path for a bare name; a file name given on
    // the command line means the file in the current folder.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    library_ = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        const char* why = dlerror();
        error = "cannot load plug-in " + path + ": " + (why ? why : "unknown reason");
        return false;
    }
    // Older Linux plug-ins export their entry point only as "main".
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library_, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryPoint>(dlsym(library_, "main"));
    if (!entry) {
        error = "not a VST 2.4 plug-in: " + path + " exports neither VSTPluginMain nor main";
        close();
        return false;
    }
    effect_ = entry(&PluginHost::hostCallback);
    if (!effect_) {
        error = "the plug-in " + path + " refused to create an effect";
        close();
        return false;
    }
    if (effect_->magic != vst2::kEffectMagic) {
        error = "not a VST 2.4 plug-in: " + path + " returned a record with the wrong magic number";
        effect_ = nullptr;  // not a record we may call into
        close();
        return false;
    }
    if (!effect_->dispatcher || !effect_->processReplacing) {
        error = "the plug-in " + path + " cannot process in place (no processReplacing)";
        effect_ = nullptr;
        close();
        return false;
    }
    effect_->user = this;  // the host's own field: lets the callback find us
    dispatch(vst2::effOpen);
    return true;
}

void PluginHost::close() {
    if (effect_) {
        if (started_) dispatch(vst2::effMainsChanged, 0, 0);
        dispatch(vst2::effClose);  // the effect is gone after this
        effect_ = nullptr;
    }
    started_ = false;
    if (library_) {
        dlclose(library_);
        library_ = nullptr;
    }
}

vst2::VstIntPtr PluginHost::dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index,
                                     vst2::VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginHost::readText(vst2::VstInt32 opcode, vst2::VstInt32 index) {
    std::array<char, kTextBuffer> text{};
    dispatch(opcode, index, 0, text.data());
    text.back() = '\0';
    return text.data();
}

std::string PluginHost::effectName() {
    return readText(vst2::effGetEffectName, 0);
}
std::string PluginHost::vendorString() {
    return readText(vst2::effGetVendorString, 0);
}
std::string PluginHost::productString() {
    return readText(vst2::effGetProductString, 0);
}
std::string PluginHost::parameterName(int i) {
    return readText(vst2::effGetParamName, i);
}
std::string PluginHost::parameterLabel(int i) {
    return readText(vst2::effGetParamLabel, i);
}
std::string PluginHost::parameterDisplay(int i) {
    return readText(vst2::effGetParamDisplay, i);
}
std::string PluginHost::programNameIndexed(int i) {
    return readText(vst2::effGetProgramNameIndexed, i);
}

float PluginHost::getParameter(int index) {
    return effect_->getParameter(effect_, index);
}
void PluginHost::setParameter(int index, float value) {
    effect_->setParameter(effect_, index, value);
}
void PluginHost::setProgram(int index) {
    dispatch(vst2::effSetProgram, 0, index);
}
int PluginHost::currentProgram() {
    return static_cast<int>(dispatch(vst2::effGetProgram));
}

bool PluginHost::hasEditor() const {
    return effect_ && (effect_->flags & vst2::effFlagsHasEditor) != 0;
}

bool PluginHost::editorSize(int& width, int& height) {
    vst2::ERect* rect = nullptr;
    dispatch(vst2::effEditGetRect, 0, 0, &rect);
    if (!rect) return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

void PluginHost::openEditor(void* parentWindow) {
    // Plug-ins disagree on what they return here, so the answer is not used:
    // an editor that failed shows up as an empty window.
    dispatch(vst2::effEditOpen, 0, 0, parentWindow);
}

void PluginHost::idleEditor() {
    dispatch(vst2::effEditIdle);
}

void PluginHost::closeEditor() {
    dispatch(vst2::effEditClose);
}

void PluginHost::setTransport(const TransportSettings& transport, bool answerTimeInfo) {
    transport_ = transport;
    answerTimeInfo_ = answerTimeInfo;
    firstTimeRequest_ = true;
}

void PluginHost::start(float sampleRate, int maxBlockSize) {
    dispatch(vst2::effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(vst2::effSetBlockSize, 0, maxBlockSize);
    dispatch(vst2::effMainsChanged, 0, 1);
    started_ = true;
}

void PluginHost::sendEvents(vst2::VstEvents* events) {
    dispatch(vst2::effProcessEvents, 0, 0, events);
}

void PluginHost::process(float** inputs, float** outputs, int frames, double samplePos) {
    blockSamplePos_ = samplePos;
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

vst2::VstIntPtr PluginHost::hostCallback(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                         vst2::VstInt32 index, vst2::VstIntPtr, void*, float) {
    // During the entry point and construction the record is not ours yet
    // (null, or user still unset): answer as any host would.
    auto* self = effect ? static_cast<PluginHost*>(effect->user) : nullptr;
    if (self) return self->answer(opcode, index);
    switch (opcode) {
        case vst2::audioMasterVersion: return vst2::kVstVersion;
        default: return 0;  // pin connected (0 = yes), no time yet, nothing else
    }
}

vst2::VstIntPtr PluginHost::answer(vst2::VstInt32 opcode, vst2::VstInt32) {
    switch (opcode) {
        case vst2::audioMasterVersion: return vst2::kVstVersion;
        case vst2::audioMasterPinConnected: return 0;  // both inputs are always fed
        case vst2::audioMasterWantMidi: return 1;
        case vst2::audioMasterGetTime:  // [audio thread]
            ++timeRequests_;
            if (!answerTimeInfo_) return 0;
            timeInfo_ = timeInfoAt(transport_, blockSamplePos_, firstTimeRequest_);
            firstTimeRequest_ = false;
            return reinterpret_cast<vst2::VstIntPtr>(&timeInfo_);
        default: return 0;  // automation, idle, edits, display updates: nothing to do offline
    }
}

}  // namespace tavolu::host
