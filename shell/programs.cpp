// The program bank: filling, selection, renaming and the names the host is
// shown.
#include "shell/programs.h"

#include <cstdio>
#include <cstring>

#include "shell/tavolu.h"
#include "shell/text.h"

namespace tavolu {

using namespace vst2;

namespace {

constexpr const char* kUserName = "User";
constexpr int kUserStartRow = kNumPresets;      // row of presetTable for programs 8..15
constexpr int kFirstUserProgram = kNumPresets;  // programs 8..15 start as user programs

bool isUserName(const char* name) {
    return std::strcmp(name, kUserName) == 0;
}
bool isProgramIndex(int32_t k) {
    return k >= 0 && k < kNumPrograms;
}

}  // namespace

// [UI thread]
void TavoluProgram::initProgram(int32_t k) {
    if (k < 0 || k >= kNumPrograms) return;
    const bool preset = k < kNumPresets;
    copyText(name, preset ? presetNames[k] : kUserName, kProgramNameSize);
    std::memcpy(values, presetTable[preset ? k : kUserStartRow], sizeof values);
}

// [UI thread] Applying the program's values, in index order, also stores each
// back into the same slot, so the record itself is left as it was.
void Tavolu::setProgram(VstInt32 program) {
    if (!isProgramIndex(program)) return;
    curProgram = program;
    for (int32_t i = 0; i < kNumParameters; ++i) setParameter(i, programs[program].value(i));
}

// [UI thread] A name that does not fit the record is cut to 23 characters.
void Tavolu::setProgramName(const char* name) {
    copyText(programs[curProgram].name, name, kProgramNameSize);
}

// [UI thread] User programs are shown with their number, counted from 1.
void Tavolu::getProgramName(char* name) {
    const int32_t k = curProgram;
    const char* stored = programs[k].name;
    if (isUserName(stored)) {
        std::snprintf(name, kProgramNameSize, "%s%ld", kUserName, static_cast<long>(k) + 1);
    } else {
        copyText(name, stored, kProgramNameSize);
    }
}

// [UI thread] In the host's list user programs are counted from 0.
bool Tavolu::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (!isProgramIndex(index)) return false;
    const char* stored = programs[index].name;
    if (isUserName(stored)) {
        std::snprintf(text, kProgramNameSize, "%s %ld", kUserName,
                      static_cast<long>(index) - kFirstUserProgram);
    } else {
        copyText(text, stored, kProgramNameSize);
    }
    return true;
}

}  // namespace tavolu
