// Mapping, writing and reading the plug-in's messages.
#include "lv2/messages.h"

#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/time/time.h>

#include "engine/engine.h"
#include "lv2/identity.h"

namespace tavolu::lv2 {

bool Urids::map(const LV2_URID_Map& m) {
    const auto to = [&m](const char* uri) { return m.map(m.handle, uri); };
    struct Entry {
        LV2_URID& urid;
        const char* uri;
    };
    const Entry entries[] = {
        {atomFloat, LV2_ATOM__Float},
        {atomInt, LV2_ATOM__Int},
        {atomLong, LV2_ATOM__Long},
        {atomDouble, LV2_ATOM__Double},
        {atomObject, LV2_ATOM__Object},
        {atomBlank, LV2_ATOM__Blank},
        {atomSequence, LV2_ATOM__Sequence},
        {atomEventTransfer, LV2_ATOM__eventTransfer},
        {midiEvent, LV2_MIDI__MidiEvent},
        {timePosition, LV2_TIME__Position},
        {timeBar, LV2_TIME__bar},
        {timeBarBeat, LV2_TIME__barBeat},
        {timeBeat, LV2_TIME__beat},
        {timeBeatUnit, LV2_TIME__beatUnit},
        {timeBeatsPerBar, LV2_TIME__beatsPerBar},
        {timeBeatsPerMinute, LV2_TIME__beatsPerMinute},
        {timeSpeed, LV2_TIME__speed},
        {patchGet, LV2_PATCH__Get},
        {report, kReportUri},
        {parameter, kParameterUri},
        {index, kIndexUri},
        {value, kValueUri},
    };
    bool all = true;
    for (const Entry& e : entries) {
        e.urid = to(e.uri);
        all = all && e.urid != 0;
    }
    return all;
}

// [audio thread] The forge stops writing at its end but would leave a message
// cut in half, so the room is checked first.
bool writeMessage(LV2_Atom_Forge& forge, const Urids& urids, MessageKind kind, int32_t index,
                  float value) {
    if (kind == MessageKind::none || forge.offset + kMessageEventBytes > forge.size) return false;
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &frame, 0,
                          kind == MessageKind::report ? urids.report : urids.parameter);
    lv2_atom_forge_key(&forge, urids.index);
    lv2_atom_forge_int(&forge, index);
    lv2_atom_forge_key(&forge, urids.value);
    lv2_atom_forge_float(&forge, value);
    lv2_atom_forge_pop(&forge, &frame);
    return true;
}

Message readMessage(const Urids& urids, const LV2_Atom& atom) {
    if ((atom.type != urids.atomObject && atom.type != urids.atomBlank) ||
        atom.size < sizeof(LV2_Atom_Object_Body)) {
        return {};
    }
    const auto& object = reinterpret_cast<const LV2_Atom_Object&>(atom);
    MessageKind kind = MessageKind::none;
    if (object.body.otype == urids.report) kind = MessageKind::report;
    if (object.body.otype == urids.parameter) kind = MessageKind::parameter;
    const LV2_Atom* index = nullptr;
    const LV2_Atom* value = nullptr;
    lv2_atom_object_get(&object, urids.index, &index, urids.value, &value, 0);
    if (kind == MessageKind::none || !index || !value || index->type != urids.atomInt ||
        index->size < sizeof(int32_t) || value->type != urids.atomFloat ||
        value->size < sizeof(float)) {
        return {};
    }
    return {kind, reinterpret_cast<const LV2_Atom_Int*>(index)->body,
            reinterpret_cast<const LV2_Atom_Float*>(value)->body};
}

bool isDisplayReport(int32_t index) {
    return index == kReportDetectorRise || index == kReportDetectorLevel ||
           index == kReportPanPosition || index == kReportTempo || index == kReportSilence;
}

bool readNumber(const Urids& urids, const LV2_Atom* atom, double& out) {
    if (!atom) return false;
    if (atom->type == urids.atomFloat && atom->size >= sizeof(float)) {
        out = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    } else if (atom->type == urids.atomDouble && atom->size >= sizeof(double)) {
        out = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    } else if (atom->type == urids.atomInt && atom->size >= sizeof(int32_t)) {
        out = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    } else if (atom->type == urids.atomLong && atom->size >= sizeof(int64_t)) {
        out = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    } else {
        return false;
    }
    return true;
}

}  // namespace tavolu::lv2
