#include "tools/host/listing.h"

#include <algorithm>
#include <cstdio>

#include "tools/host/parameter_lookup.h"

namespace tavolu::host {
namespace {

constexpr int kMaxListed = 10000;  // rows; bound on what a plug-in claims

std::string format(const char* fmt, auto... args) {
    char line[256];
    std::snprintf(line, sizeof line, fmt, args...);
    return line;
}

std::string flagNames(int flags) {
    static const struct {
        int bit;
        const char* name;
    } known[] = {
        {vst2::effFlagsHasEditor, "HasEditor"},
        {vst2::effFlagsCanReplacing, "CanReplacing"},
        {vst2::effFlagsProgramChunks, "ProgramChunks"},
        {vst2::effFlagsIsSynth, "IsSynth"},
        {vst2::effFlagsNoSoundInStop, "NoSoundInStop"},
        {vst2::effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string names;
    for (const auto& k : known)
        if (flags & k.bit) names += (names.empty() ? "" : ", ") + std::string(k.name);
    return names.empty() ? "none" : names;
}

}  // namespace

std::string idCharacters(int id) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>((static_cast<unsigned>(id) >> shift));
        s += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
    }
    return s;
}

void printIdentity(PluginHost& plugin, const std::string& path, std::ostream& out) {
    const vst2::AEffect& e = *plugin.effect();
    out << "Plug-in:     " << path << "\n"
        << "Effect:      " << plugin.effectName() << "\n"
        << "Vendor:      " << plugin.vendorString() << "\n"
        << "Product:     " << plugin.productString() << "\n"
        << "Unique ID:   " << format("0x%08X", static_cast<unsigned>(e.uniqueID)) << " '"
        << idCharacters(e.uniqueID) << "'\n"
        << "Version:     " << e.version << "\n"
        << "Inputs:      " << e.numInputs << "\n"
        << "Outputs:     " << e.numOutputs << "\n"
        << "Flags:       " << format("0x%X", static_cast<unsigned>(e.flags)) << " ("
        << flagNames(e.flags) << ")\n"
        << "Programs:    " << e.numPrograms << "\n"
        << "Parameters:  " << e.numParams << "\n";
}

void printParameters(PluginHost& plugin, std::ostream& out) {
    const int current = plugin.currentProgram();
    out << "Program " << current << ": " << plugin.programNameIndexed(current) << "\n";
    out << format("%5s  %-18s %-9s %-16s %s\n", "Index", "Name", "Value", "Display", "Label");
    const int count = std::clamp(plugin.effect()->numParams, 0, kMaxListed);
    for (int i = 0; i < count; ++i) {
        const double value = plugin.getParameter(i);
        std::string row =
            format("%5d  %-18s %-9.4f %-16s %s", i, trimBlanks(plugin.parameterName(i)).c_str(),
                   value, trimBlanks(plugin.parameterDisplay(i)).c_str(),
                   trimBlanks(plugin.parameterLabel(i)).c_str());
        out << row.erase(row.find_last_not_of(' ') + 1) << "\n";  // no blanks after an empty label
    }
}

void printPrograms(PluginHost& plugin, std::ostream& out) {
    const int current = plugin.currentProgram();
    const int count = std::clamp(plugin.effect()->numPrograms, 0, kMaxListed);
    for (int i = 0; i < count; ++i)
        out << format("%c %3d  %s\n", i == current ? '*' : ' ', i,
                      plugin.programNameIndexed(i).c_str());
}

}  // namespace tavolu::host
