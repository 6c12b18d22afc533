// A tiny VST 2.4 effect the host tests load instead of a real one: a gain,
// a mode switch (pass, swap channels, silence), three programs, an X11
// editor, and a journal of everything the host did to it. Built in variants
// that misbehave at load, have no editor or cannot be fed.
#include "tests/tools/fake_plugin.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>

namespace {

using fake::kEditorHeight;
using fake::kEditorMarker;
using fake::kEditorWidth;

constexpr int kParams = 2;
constexpr int kPrograms = 3;

struct Program {
    const char* name;
    float values[kParams];
};
constexpr Program kProgramTable[kPrograms] = {
    {"Unity", {1.0f, 0.0f}},
    {"Half Gain", {0.5f, 0.0f}},
    {"Swapped", {1.0f, 0.5f}},
};
const char* const kParamNames[kParams] = {"Gain ", "Mode "};
const char* const kModeNames[3] = {"Pass", "Swap", "Silence"};

// One journal per instance created, in order; the tests clear it between runs.
std::vector<fake::Journal> journals;
FakeBlockHook blockHook = nullptr;
void* blockHookContext = nullptr;

struct Fake {
    vst2::AEffect effect{};
    vst2::audioMasterCallback host = nullptr;
    float values[kParams] = {1.0f, 0.0f};
    int program = 0;
    int blocks = 0;
    std::size_t journalIndex = 0;
    vst2::ERect rect{0, 0, kEditorHeight, kEditorWidth};
    Display* display = nullptr;  // the editor's own connection, as plug-ins open it
    Window window = 0;
    fake::Journal& journal() { return journals[journalIndex]; }
};

Fake* self(vst2::AEffect* e) {
    return static_cast<Fake*>(e->object);
}
int modeOf(const Fake* f) {
    return static_cast<int>(2.0 * static_cast<double>(f->values[1]));
}

void setParameter(vst2::AEffect* e, vst2::VstInt32 index, float value) {
    if (index < 0 || index >= kParams) return;
    Fake* f = self(e);
    f->values[index] = value;
    char line[64];
    std::snprintf(line, sizeof line, "set %d %.4f", index, static_cast<double>(value));
    f->journal().calls.push_back(line);
}

float getParameter(vst2::AEffect* e, vst2::VstInt32 index) {
    return index >= 0 && index < kParams ? self(e)->values[index] : 0.0f;
}

void copyText(void* ptr, const char* text) {
    std::strcpy(static_cast<char*>(ptr), text);
}

#ifndef FAKE_NO_EDITOR
// A child of the host's window, on the display DISPLAY names.
void openEditor(Fake* f, void* parent) {
    f->journal().calls.push_back("edit open");
    const char* name = std::getenv("DISPLAY");
    f->journal().editorDisplay = name ? name : "";
    f->display = XOpenDisplay(nullptr);
    if (!f->display) return;
    f->window = XCreateSimpleWindow(f->display, Window(reinterpret_cast<std::uintptr_t>(parent)), 0,
                                    0, kEditorWidth, kEditorHeight, 0, 0, fake::kEditorIdleColour);
    XMapWindow(f->display, f->window);
    XSync(f->display, False);
}

void idleEditor(Fake* f) {
    f->journal().idleBlocks.push_back(f->blocks);
    if (!f->display) return;
    GC gc = DefaultGC(f->display, DefaultScreen(f->display));
    XSetForeground(f->display, gc, f->blocks > 0 ? fake::kEditorColour : fake::kEditorIdleColour);
    XFillRectangle(f->display, f->window, gc, 0, 0, kEditorWidth, kEditorHeight);
    XSetForeground(f->display, gc, fake::kEditorMarkerColour);
    XFillRectangle(f->display, f->window, gc, kEditorWidth - kEditorMarker,
                   kEditorHeight - kEditorMarker, kEditorMarker, kEditorMarker);
    XSync(f->display, False);
}

void closeEditor(Fake* f) {
    f->journal().calls.push_back("edit close");
    if (!f->display) return;
    XDestroyWindow(f->display, f->window);
    XCloseDisplay(f->display);
    f->display = nullptr;
}
#endif

vst2::VstIntPtr dispatcher(vst2::AEffect* e, vst2::VstInt32 op, vst2::VstInt32 index,
                           vst2::VstIntPtr value, void* ptr, float opt) {
    Fake* f = self(e);
    fake::Journal& journal = f->journal();
    switch (op) {
        case vst2::effClose: delete f; return 1;
        case vst2::effSetProgram:
            if (value < 0 || value >= kPrograms) return 0;
            f->program = static_cast<int>(value);
            journal.calls.push_back("program " + std::to_string(value));
            for (int i = 0; i < kParams; ++i) setParameter(e, i, kProgramTable[value].values[i]);
            return 0;
        case vst2::effGetProgram: return f->program;
        case vst2::effGetProgramNameIndexed:
            if (index < 0 || index >= kPrograms) return 0;
            copyText(ptr, kProgramTable[index].name);
            return 1;
        case vst2::effGetParamName:
            if (index >= 0 && index < kParams) copyText(ptr, kParamNames[index]);
            return 0;
        case vst2::effGetParamLabel: copyText(ptr, index == 0 ? "x" : ""); return 0;
        case vst2::effGetParamDisplay:
            if (index == 0) {
                std::snprintf(static_cast<char*>(ptr), 16, "  %.2f  ", double{f->values[0]});
            } else if (index == 1 && modeOf(f) >= 0 && modeOf(f) <= 2) {
                copyText(ptr, kModeNames[modeOf(f)]);
            }
            return 0;
        case vst2::effSetSampleRate: journal.sampleRate = opt; return 0;
        case vst2::effSetBlockSize: journal.blockSize = static_cast<long>(value); return 0;
        case vst2::effMainsChanged:
            if (value) {
                ++journal.resumes;
                journal.calls.push_back("resume");
            }
            return 0;
        case vst2::effProcessEvents: {
            const auto* list = static_cast<const vst2::VstEvents*>(ptr);
            for (int i = 0; i < list->numEvents; ++i) {
                const auto* m = reinterpret_cast<const vst2::VstMidiEvent*>(list->events[i]);
                if (m->type != vst2::kVstMidiType) continue;
                journal.events.push_back({f->blocks, m->deltaFrames,
                                          static_cast<unsigned char>(m->midiData[0]),
                                          static_cast<unsigned char>(m->midiData[1]),
                                          static_cast<unsigned char>(m->midiData[2])});
            }
            return 1;
        }
#ifndef FAKE_NO_EDITOR
        case vst2::effEditGetRect: *static_cast<vst2::ERect**>(ptr) = &f->rect; return 1;
        case vst2::effEditOpen: openEditor(f, ptr); return 1;
        case vst2::effEditIdle: idleEditor(f); return 0;
        case vst2::effEditClose: closeEditor(f); return 0;
#endif
        case vst2::effGetEffectName: copyText(ptr, "Fake Gain"); return 1;
        case vst2::effGetVendorString: copyText(ptr, "Test Bench"); return 1;
        case vst2::effGetProductString: copyText(ptr, "FakeGain1"); return 1;
        default: return 0;
    }
}

void processReplacing(vst2::AEffect* e, float** in, float** out, vst2::VstInt32 frames) {
    Fake* f = self(e);
    fake::Journal& journal = f->journal();
    const auto* t = reinterpret_cast<const vst2::VstTimeInfo*>(
        f->host(e, vst2::audioMasterGetTime, 0, 0x2E00, nullptr, 0.0f));
    journal.times.push_back({f->blocks, t != nullptr, t ? *t : vst2::VstTimeInfo{}});
    journal.blockFrames.push_back(frames);
    const int mode = modeOf(f);
    const float gain = mode == 2 ? 0.0f : f->values[0];
    const int left = mode == 1 ? 1 : 0;
    for (int i = 0; i < frames; ++i) {
        // Read both inputs before writing: hosts may pass the same buffers.
        const float l = in[left][i], r = in[1 - left][i];
        out[0][i] = l * gain;
        out[1][i] = r * gain;
    }
    if (blockHook) blockHook(f->blocks, blockHookContext);
    ++f->blocks;
}

void processNothing(vst2::AEffect*, float**, float**, vst2::VstInt32) {}

}  // namespace

extern "C" __attribute__((visibility("default"))) std::vector<fake::Journal>*
fake_plugin_journals() {
    return &journals;
}

extern "C" __attribute__((visibility("default"))) void fake_plugin_set_block_hook(
    FakeBlockHook hook, void* context) {
    blockHook = hook;
    blockHookContext = context;
}

// The variant without an entry point exports the same routine under a name
// no host looks for; the old-style one only as "main", as older Linux
// plug-ins do.
#ifdef FAKE_NO_ENTRY
#define FAKE_ENTRY_NAME notTheEntryPoint
#elif defined(FAKE_MAIN_ONLY)
#define FAKE_ENTRY_NAME oldStyleEntry
extern "C" __attribute__((visibility("default"))) vst2::AEffect* oldStyleEntry(
    vst2::audioMasterCallback host) asm("main");
#else
#define FAKE_ENTRY_NAME VSTPluginMain
#endif

extern "C" __attribute__((visibility("default"))) vst2::AEffect* FAKE_ENTRY_NAME(
    vst2::audioMasterCallback host) {
    if (!host(nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f)) return nullptr;
#ifdef FAKE_NULL_EFFECT
    return nullptr;
#endif
#ifdef FAKE_BAD_MAGIC
    // A host must not call into a record with the wrong magic, so nobody will
    // ever close this one: it lives in static storage instead of leaking.
    static Fake unclosable;
    auto* f = &unclosable;
#else
    auto* f = new Fake;
#endif
    f->journalIndex = journals.size();
    journals.emplace_back();
    f->host = host;
    vst2::AEffect& e = f->effect;
    e.magic = vst2::kEffectMagic;
#ifdef FAKE_BAD_MAGIC
    e.magic = 0x12345678;
#endif
    e.dispatcher = dispatcher;
    e.process = processNothing;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = kPrograms;
    e.numParams = kParams;
    e.numInputs = 2;
    e.numOutputs = 2;
#ifdef FAKE_NO_OUTPUTS
    e.numOutputs = 0;  // nothing the host can render into
#endif
    e.flags = vst2::effFlagsCanReplacing;
#ifndef FAKE_NO_EDITOR
    e.flags |= vst2::effFlagsHasEditor;
#endif
    e.ioRatio = 1.0f;
    e.object = f;
    e.uniqueID = 0x46616B65;  // 'Fake'
    e.version = 3;
    e.processReplacing = processReplacing;
    f->journal().pinConnectedAnswer =
        static_cast<long>(host(&e, vst2::audioMasterPinConnected, 1, 0, nullptr, 0.0f));
    return &e;
}
