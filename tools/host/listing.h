// What --list and --programs print: the plug-in as the host sees it.
#pragma once

#include <ostream>
#include <string>

#include "tools/host/plugin_host.h"

namespace tavolu::host {

// [UI thread] Identity: names, unique ID, version, channels, flags, counts.
void printIdentity(PluginHost& plugin, const std::string& path, std::ostream& out);

// [UI thread] Every parameter of the current program: index, name, value,
// display text and label.
void printParameters(PluginHost& plugin, std::ostream& out);

// [UI thread] Every program's number and name, the current one marked.
void printPrograms(PluginHost& plugin, std::ostream& out);

// The four characters of a unique ID, most significant first; bytes that
// are not printable show as '.'.
std::string idCharacters(int id);

}  // namespace tavolu::host
