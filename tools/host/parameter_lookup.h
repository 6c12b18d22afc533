// Turns the names and texts a user types into what the plug-in takes:
// program numbers, parameter indices and normalised values.
#pragma once

#include <string>

#include "tools/host/plugin_host.h"

namespace tavolu::host {

// Plug-in texts carry blanks for layout ("Attack ", "  0.50  "); users type
// them without.
std::string trimBlanks(const std::string& text);

// [UI thread] A program by number (0-based, as the host counts) or by name.
// Returns -1 and sets error when there is no such program.
int findProgram(PluginHost& plugin, const std::string& text, std::string& error);

// [UI thread] A parameter by its name without the layout blanks, ignoring
// case. Returns -1 and sets error when there is no such parameter.
int findParameter(PluginHost& plugin, const std::string& name, std::string& error);

// [UI thread] The parameter a NAME=VALUE text sets. A name may hold '='
// itself ("Start=End"), so of the names the text begins with, each followed
// by '=' and a value, the longest wins. Returns -1 and sets error when none
// fits; value gets the text after the name.
int findParameterSetting(PluginHost& plugin, const std::string& text, std::string& value,
                         std::string& error);

// [UI thread] A number is taken as the normalised value (0 to 1). Any other
// text is a display text: the values k/1000 (k = 0..1000) are written in
// turn and the first whose display equals the text wins. The search writes
// parameters, so pass an instance whose state does not matter.
bool resolveValue(PluginHost& scratch, int index, const std::string& text, float& value,
                  std::string& error);

}  // namespace tavolu::host
