// The atoms the plug-in and its UI exchange: the mapped URIs both sides need,
// the plug-in's reports written into the notify port, and their reading on
// the UI's side. The UI asks for everything again with a patch:Get.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include <cstdint>

namespace tavolu::lv2 {

struct Urids {
    LV2_URID atomFloat, atomInt, atomLong, atomDouble, atomObject, atomBlank;
    LV2_URID atomSequence, atomEventTransfer;
    LV2_URID midiEvent;
    LV2_URID timePosition, timeBar, timeBarBeat, timeBeat, timeBeatUnit, timeBeatsPerBar,
        timeBeatsPerMinute, timeSpeed;
    LV2_URID patchGet;
    LV2_URID report, parameter, index, value;

    // [UI thread] Maps every URI; false when the host's map gave 0 for one.
    bool map(const LV2_URID_Map& map);
};

enum class MessageKind { none, report, parameter };

struct Message {
    MessageKind kind = MessageKind::none;
    int32_t index = 0;
    float value = 0.0f;
};

// Bytes one message takes in a sequence, event header included.
constexpr uint32_t kMessageEventBytes = 72;

// [audio thread] Appends one message at frame 0 of the sequence the forge is
// writing; false, and nothing written, when it would not fit.
bool writeMessage(LV2_Atom_Forge& forge, const Urids& urids, MessageKind kind, int32_t index,
                  float value);

// [UI thread] Reads one message; kind none for any other atom or a malformed one.
Message readMessage(const Urids& urids, const LV2_Atom& atom);

// [any thread] One of the engine's display reports for the editor (22, 23,
// 25, 36, 37): the only indices a report may carry.
bool isDisplayReport(int32_t index);

// [any thread] A number atom (int, long, float or double) as a double; false
// for anything else.
bool readNumber(const Urids& urids, const LV2_Atom* atom, double& out);

}  // namespace tavolu::lv2
