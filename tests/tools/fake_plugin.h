// What the test plug-in remembers of the host's calls, one journal per
// instance, read back by the tests through fake_plugin_journals() while they
// hold the library open themselves.
#pragma once

#include <string>
#include <vector>

#include "host_interface/vst2.h"

namespace fake {

struct ReceivedEvent {
    int block;  // index of the block the event came before
    int deltaFrames;
    unsigned char status, key, velocity;
};

struct TimeAnswer {
    int block;
    bool present;  // false: the host answered null
    vst2::VstTimeInfo info;
};

struct Journal {
    float sampleRate = 0.0f;
    long blockSize = 0;
    int resumes = 0;
    long pinConnectedAnswer = -1;
    std::vector<int> blockFrames;  // frames of every processReplacing call
    std::vector<ReceivedEvent> events;
    std::vector<TimeAnswer> times;
    std::vector<std::string> calls;  // effSetProgram, setParameter, resume, editor in order

    // The editor: the DISPLAY it opened on, and the blocks processed by each idle.
    std::string editorDisplay;
    std::vector<int> idleBlocks;
};

// The editor's size and what it draws on idle: its colour once audio went
// through (grey before), and a marker square in its bottom-right corner.
constexpr int kEditorWidth = 150;                  // px
constexpr int kEditorHeight = 90;                  // px
constexpr int kEditorMarker = 10;                  // px
constexpr unsigned long kEditorColour = 0x3366CC;  // 0xRRGGBB
constexpr unsigned long kEditorIdleColour = 0x808080;
constexpr unsigned long kEditorMarkerColour = 0xFFCC00;

}  // namespace fake

using FakeJournalsFn = std::vector<fake::Journal>* (*)();

// A test's own code run after every processed block, to change the host's
// world mid-render; a null hook removes it.
using FakeBlockHook = void (*)(int block, void* context);
using FakeSetBlockHookFn = void (*)(FakeBlockHook hook, void* context);
