// The library's entry point: the host calls it once per plug-in instance with
// its callback and keeps the record it returns. This is where the effect and
// its editor are put together; the effect itself knows editors only through
// their interface.
#include <new>

#include "editor/tavolu_edit.h"
#include "shell/host_services.h"
#include "shell/tavolu.h"

using namespace tavolu;

// [UI thread] A host that does not answer the version request gets no effect.
extern "C" __attribute__((visibility("default"))) vst2::AEffect* VSTPluginMain(
    vst2::audioMasterCallback callback) {
    if (HostServices::hostVersion(callback) == 0) return nullptr;
    Tavolu* effect = new (std::nothrow) Tavolu(callback, &TavoluEdit::create);
    return effect ? effect->getAeffect() : nullptr;
}

// Older Linux hosts look the entry point up as "main"; it is the same routine.
// A program that links the entry point in (the fuzzer) has a main of its own.
#ifndef TAVOLU_ENTRY_WITHOUT_MAIN
extern "C" __attribute__((visibility("default"), alias("VSTPluginMain"))) vst2::AEffect* legacyMain(
    vst2::audioMasterCallback callback) asm("main");
#endif
