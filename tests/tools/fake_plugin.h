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
    std::vector<std::string> calls;  // effSetProgram, setParameter, resume in order
};

}  // namespace fake

using FakeJournalsFn = std::vector<fake::Journal>* (*)();
