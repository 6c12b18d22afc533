// Writes the bundle's descriptions from the tables the plug-in itself uses
// (parameter names, choice texts, the initial program, the factory presets),
// so the bundle can never disagree with the code:
//
//   tavolu-lv2-ttl BUNDLE_DIR DSP_BINARY UI_BINARY
//
// writes BUNDLE_DIR/manifest.ttl, tavolu.ttl and presets.ttl.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "lv2/identity.h"
#include "shell/parameter_table.h"
#include "shell/programs.h"

namespace {

using namespace tavolu;
using namespace tavolu::lv2;

constexpr const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix patch: <http://lv2plug.in/ns/ext/patch#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf:  <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix rsz:  <http://lv2plug.in/ns/ext/resize-port#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui:   <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

constexpr const char* kName = "Tavolu";
constexpr const char* kVendor = "Grivent";
constexpr int kMinorVersion = 8;  // 0.8: even, a release
constexpr int kMicroVersion = 0;
constexpr int kNotifyBytes = 16384;  // room for 220 reports per block

// The shortest decimal that reads back as exactly this float.
std::string number(float x) {
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(x));
        if (std::strtof(text, nullptr) == x) break;
    }
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

std::string quoted(const char* text) {
    std::string s = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '\\') s += '\\';
        s += *c;
    }
    return s + "\"";
}

// What a port's number means when the host shows it as the plug-in does.
const char* unitComment(int32_t index) {
    switch (index) {
        case kThreshold:
        case kDryWet: return "Shown in % by the plug-in: the value times 100.";
        case kLfoFreq:
            return "Shown in Hz by the plug-in: the rate grows as (value + 0.1) squared; "
                   "setting it returns \\\"LFO Freq Source\\\" to \\\"Manual\\\".";
        case kAttack:
        case kHold:
        case kDecay:
            return "Seconds from the trigger (Attack: a quarter second per unit); "
                   "Attack <= Hold <= Decay is kept by moving the others.";
        default: return nullptr;
    }
}

bool isToggle(int32_t index) {
    return index == kStartEqualsEnd || index == kLfoSyncFlip;
}

void controlPort(std::ostream& out, int32_t i) {
    out << "    lv2:port [\n"
        << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << i << " ;\n"
        << "        lv2:symbol \"" << kParameterSymbols[i] << "\" ;\n"
        << "        lv2:name " << quoted(parameterName(i)) << " ;\n"
        << "        lv2:default " << number(presetTable[kNumPresets][i]) << " ;\n"
        << "        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum 1.0 ;\n";
    if (const char* comment = unitComment(i))
        out << "        rdfs:comment \"" << comment << "\" ;\n";
    if (isToggle(i)) out << "        lv2:portProperty lv2:toggled ;\n";
    if (const ChoiceList* list = choiceList(i)) {
        out << "        lv2:portProperty lv2:enumeration ;\n";
        for (int8_t k = 0; k < list->count; ++k) {
            const float value = static_cast<float>(k) / static_cast<float>(list->scale);
            out << "        lv2:scalePoint [ rdfs:label " << quoted(list->texts[k])
                << " ; rdf:value " << number(value) << " ] ;\n";
        }
    }
    if (i == kStereo) {
        out << "        lv2:portProperty lv2:enumeration ;\n"
            << "        lv2:scalePoint [ rdfs:label \"Mono\" ; rdf:value 0.0 ] ;\n"
            << "        lv2:scalePoint [ rdfs:label \"Stereo\" ; rdf:value 1.0 ] ;\n";
    }
    out << "    ] ;\n";
}

void audioPort(std::ostream& out, uint32_t index, bool input, const char* symbol,
               const char* name) {
    out << "    lv2:port [\n"
        << "        a lv2:" << (input ? "InputPort" : "OutputPort") << " , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name \"" << name << "\" ;\n"
        << "    ] ;\n";
}

void atomPorts(std::ostream& out) {
    out << "    lv2:port [\n"
        << "        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent , time:Position , patch:Message ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:index " << kControl << " ;\n"
        << "        lv2:symbol \"control\" ;\n"
        << "        lv2:name \"Control\" ;\n"
        << "        rdfs:comment \"MIDI note-ons trigger a sweep; the host's time:Position "
           "drives the tempo grid and the synced LFO.\" ;\n"
        << "    ] , [\n"
        << "        a lv2:OutputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:index " << kNotify << " ;\n"
        << "        lv2:symbol \"notify\" ;\n"
        << "        lv2:name \"Notify\" ;\n"
        << "        rsz:minimumSize " << kNotifyBytes << " ;\n"
        << "        rdfs:comment \"Meter levels, pan positions, tempo and the parameter "
           "values in use, for the plug-in's UI.\" ;\n"
        << "    ] .\n\n";
}

void pluginDescription(std::ostream& out) {
    out << kPrefixes << "<" << kPluginUri << ">\n"
        << "    a lv2:Plugin , lv2:SpatialPlugin , doap:Project ;\n"
        << "    doap:name \"" << kName << "\" ;\n"
        << "    doap:maintainer [ foaf:name \"" << kVendor << "\" ] ;\n"
        << "    lv2:minorVersion " << kMinorVersion << " ;\n"
        << "    lv2:microVersion " << kMicroVersion << " ;\n"
        << "    rdfs:comment \"A stereo auto-pan: a trigger (an onset in the audio, a tempo-grid "
           "line, an LFO zero crossing or a MIDI note-on) starts a pan sweep Start, Hold, End; "
           "a sine LFO adds on top. All of its state is in its ports: it saves nothing else, "
           "and it has no latency.\" ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable ;\n"
        << "    ui:ui <" << kUiUri << "> ;\n";
    for (int32_t i = 0; i < kNumParameters; ++i) controlPort(out, i);
    audioPort(out, kInputLeft, true, "in_left", "Left In");
    audioPort(out, kInputRight, true, "in_right", "Right In");
    audioPort(out, kOutputLeft, false, "out_left", "Left Out");
    audioPort(out, kOutputRight, false, "out_right", "Right Out");
    atomPorts(out);

    out << "<" << kUiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:requiredFeature urid:map , ui:parent , ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:touch , ui:resize ;\n"
        << "    lv2:extensionData ui:idleInterface ;\n"
        << "    ui:portNotification [\n"
        << "        ui:plugin <" << kPluginUri << "> ;\n"
        << "        lv2:symbol \"notify\" ;\n"
        << "        ui:notifyType atom:Object\n"
        << "    ] .\n";
}

std::string presetUri(int k) {
    return std::string(kPresetUriPrefix) + std::to_string(k);
}

void presets(std::ostream& out) {
    out << kPrefixes;
    for (int k = 0; k < kNumPresets; ++k) {
        out << "<" << presetUri(k) << ">\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo <" << kPluginUri << "> ;\n"
            << "    rdfs:label " << quoted(presetNames[k]);
        for (int32_t i = 0; i < kNumParameters; ++i) {
            out << " ;\n    lv2:port [ lv2:symbol \"" << kParameterSymbols[i] << "\" ; pset:value "
                << number(presetTable[k][i]) << " ]";
        }
        out << " .\n\n";
    }
}

void manifest(std::ostream& out, const std::string& dsp, const std::string& ui) {
    out << kPrefixes << "<" << kPluginUri << ">\n"
        << "    a lv2:Plugin ;\n"
        << "    lv2:binary <" << dsp << "> ;\n"
        << "    rdfs:seeAlso <tavolu.ttl> .\n\n"
        << "<" << kUiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary <" << ui << "> ;\n"
        << "    rdfs:seeAlso <tavolu.ttl> .\n\n";
    // In the program list's order; hosts sort them as they like.
    for (int k = 0; k < kNumPresets; ++k) {
        out << "<" << presetUri(k) << ">\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo <" << kPluginUri << "> ;\n"
            << "    rdfs:label " << quoted(presetNames[k]) << " ;\n"
            << "    rdfs:seeAlso <presets.ttl> .\n\n";
    }
}

bool write(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) std::cerr << "tavolu-lv2-ttl: cannot write " << path << "\n";
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tavolu-lv2-ttl BUNDLE_DIR DSP_BINARY UI_BINARY\n";
        return 2;
    }
    const std::string dir = argv[1];
    std::ostringstream m, p, s;
    manifest(m, argv[2], argv[3]);
    pluginDescription(p);
    presets(s);
    const bool ok = write(dir + "/manifest.ttl", m.str()) && write(dir + "/tavolu.ttl", p.str()) &&
                    write(dir + "/presets.ttl", s.str());
    return ok ? 0 : 1;
}
