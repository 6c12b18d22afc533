// The whole command: parse, load, list or render, report. main() only hands
// over its arguments and streams, so the tests run the same code in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tavolu::host {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a file, a name or the plug-in let us down
constexpr int kExitUsage = 2;    // the command line is wrong

// The name of the demo preset the built-in drum loop plays through.
inline constexpr const char* kDemoProgram = "Ping Pong";

// [UI thread] args excludes the program name; defaultPlugin is used when no
// --plugin is given. Errors go to err as one line each.
int runHost(const std::vector<std::string>& args, const std::string& defaultPlugin,
            std::ostream& out, std::ostream& err);

// The output name for an input: "song.wav" gives "song-panned.wav".
std::string defaultOutputPath(const std::string& inputPath);

}  // namespace tavolu::host
