// The host's command line, parsed into one plain record. Parsing checks the
// form of every option; names (programs, parameters) are checked later against
// the loaded plug-in.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavolu::host {

// A parameter setting as typed: the name and the value text, split at the
// first '='. The text is either a normalised number or a display text. A
// name may hold '=' itself, so the whole text is kept for the lookup, which
// takes the longest parameter name it begins with.
struct ParameterSetting {
    std::string name;
    std::string value;
    std::string text;  // NAME=VALUE as typed
};

struct Options {
    bool help = false;
    bool list = false;                   // print identity and parameter table
    bool programs = false;               // print the program names
    std::string pluginPath;              // empty: the default next to the build
    std::string inputPath;               // empty: render the built-in demo
    std::string outputPath;              // empty: derived from the input (or the demo)
    std::string plotPath;                // empty: no picture
    std::string editorPngPath;           // empty: no picture of the editor
    std::optional<std::string> program;  // a number or a name
    std::vector<ParameterSetting> parameters;

    // What the host answers to the plug-in's time requests.
    double tempo = 120.0;  // beats per minute
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    double startPpq = 0.0;    // quarter notes at the first sample
    bool stopped = false;     // transport halted: the position stays put
    bool noTimeInfo = false;  // answer null to every time request

    std::vector<double> noteOns;  // seconds from the start
    int blockSize = 512;          // frames per processing call
    bool keepGoing = false;       // render a cut or damaged input as far as it goes
};

// Either the parsed options or a one-line reason why the command line is wrong.
struct ParseResult {
    Options options;
    std::string error;  // empty on success
};

// [UI thread] args excludes the program name.
ParseResult parseOptions(const std::vector<std::string>& args);

// The text --help prints.
std::string usageText();

}  // namespace tavolu::host
