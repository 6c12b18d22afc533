#include "test_host.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

namespace tavolu::testing {

using namespace vst2;

namespace {

using EntryPoint = AEffect* (*)(audioMasterCallback);

// The host that is running an entry point right now: before the record exists
// the callback cannot find its host through it.
thread_local TestHost* loadingHost = nullptr;

}  // namespace

TestHost::TestHost() {
    answers_[audioMasterVersion] = kVstVersion;
    answers_[audioMasterPinConnected] = 0;  // the second input is connected
}

TestHost::~TestHost() {
    if (effect_) close();
    if (library_) dlclose(library_);
}

AEffect* TestHost::load() {
    library_ = dlopen(TAVOLU_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library_) throw std::runtime_error(dlerror());
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library_, "VSTPluginMain"));
    if (!entry) throw std::runtime_error("no VSTPluginMain");
    loadingHost = this;
    effect_ = entry(&TestHost::callback);
    loadingHost = nullptr;
    return effect_;
}

void TestHost::giveTimeInfo(const VstTimeInfo& info) {
    timeInfo_ = info;
    timeInfoGiven_ = true;
}

std::vector<HostCall> TestHost::callsOf(VstInt32 opcode) const {
    std::vector<HostCall> found;
    for (const HostCall& c : calls_) {
        if (c.opcode == opcode) found.push_back(c);
    }
    return found;
}

VstIntPtr TestHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                             void* /*ptr*/, float opt) {
    TestHost* host = effect && effect->user ? static_cast<TestHost*>(effect->user) : loadingHost;
    return host ? host->answer(effect, opcode, index, value, opt) : 0;
}

VstIntPtr TestHost::answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                           float opt) {
    if (recording_) calls_.push_back({opcode, index, value, opt, effect != nullptr});
    if (opcode == audioMasterGetTime) {
        return timeInfoGiven_ ? reinterpret_cast<VstIntPtr>(&timeInfo_) : 0;
    }
    const auto found = answers_.find(opcode);
    return found == answers_.end() ? 0 : found->second;
}

VstIntPtr TestHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    // From here on the callback finds this host through the record's user field,
    // which belongs to the host.
    effect_->user = this;
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void TestHost::setParameter(VstInt32 index, float value) {
    effect_->user = this;
    effect_->setParameter(effect_, index, value);
}

float TestHost::getParameter(VstInt32 index) {
    return effect_->getParameter(effect_, index);
}

void TestHost::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    effect_->user = this;
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

VstIntPtr TestHost::close() {
    const VstIntPtr answer = dispatch(effClose);
    effect_ = nullptr;
    return answer;
}

std::string TestHost::text(VstInt32 opcode, VstInt32 index, std::size_t* written) {
    char buffer[128];
    std::memset(buffer, kUnwritten, sizeof buffer);
    dispatch(opcode, index, 0, buffer);
    std::size_t last = sizeof buffer;
    while (last > 0 && buffer[last - 1] == kUnwritten) --last;
    if (written) *written = last;
    if (last == 0) return "<nothing>";
    return std::string(buffer, strnlen(buffer, last));
}

std::string TestHost::parameterName(VstInt32 index) {
    return text(effGetParamName, index);
}
std::string TestHost::parameterLabel(VstInt32 index) {
    return text(effGetParamLabel, index);
}
std::string TestHost::parameterDisplay(VstInt32 index) {
    return text(effGetParamDisplay, index);
}
std::string TestHost::programName() {
    return text(effGetProgramName, 0);
}
std::string TestHost::programNameIndexed(VstInt32 index) {
    return text(effGetProgramNameIndexed, index);
}

}  // namespace tavolu::testing
