#include "tools/host/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tavolu::host {
namespace {

constexpr int kMaxBlockSize = 1 << 20;  // frames; far above any host's block

// A whole-string decimal number; rejects empty text, blanks, trailing junk,
// hexadecimal (strtod would take "0x10" as 16), NaN and infinities.
bool parseNumber(const std::string& text, double& out) {
    if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string::npos)
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(value)) return false;
    out = value;
    return true;
}

bool parseInteger(const std::string& text, long min, long max, long& out) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || *end != '\0' || errno == ERANGE || value < min || value > max) return false;
    out = value;
    return true;
}

bool parseTimeSignature(const std::string& text, Options& o) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return false;
    long num = 0;
    long den = 0;
    if (!parseInteger(text.substr(0, slash), 1, 64, num)) return false;
    if (!parseInteger(text.substr(slash + 1), 1, 64, den)) return false;
    if ((den & (den - 1)) != 0) return false;  // a note value: 1, 2, 4, 8, ...
    o.timeSigNumerator = static_cast<int>(num);
    o.timeSigDenominator = static_cast<int>(den);
    return true;
}

bool parseNoteOns(const std::string& text, std::vector<double>& out) {
    std::size_t start = 0;
    while (true) {
        const auto comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        double seconds = 0.0;
        if (!parseNumber(item, seconds) || seconds < 0.0) return false;
        out.push_back(seconds);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool parseParameter(const std::string& text, std::vector<ParameterSetting>& out) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return false;
    out.push_back({text.substr(0, eq), text.substr(eq + 1), text});
    return true;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// Applies one option that takes a value; returns an error text or "".
std::string applyValued(const std::string& name, const std::string& value, Options& o) {
    if (name == "--plugin") {
        if (value.empty()) return "--plugin needs a file name";
        o.pluginPath = value;
    } else if (name == "--output" || name == "-o") {
        if (value.empty()) return name + " needs a file name";
        o.outputPath = value;
    } else if (name == "--plot") {
        if (value.empty()) return "--plot needs a file name";
        o.plotPath = value;
    } else if (name == "--editor-png") {
        if (value.empty()) return "--editor-png needs a file name";
        o.editorPngPath = value;
    } else if (name == "--program") {
        if (value.empty()) return "--program needs a number or a name";
        o.program = value;
    } else if (name == "--param" || name == "-p") {
        if (!parseParameter(value, o.parameters))
            return "--param expects NAME=VALUE, got " + quoted(value);
    } else if (name == "--tempo") {
        if (!parseNumber(value, o.tempo) || o.tempo <= 0.0 || o.tempo > 999.0)
            return "--tempo expects beats per minute above 0 and up to 999, got " + quoted(value);
    } else if (name == "--time-sig") {
        if (!parseTimeSignature(value, o))
            return "--time-sig expects N/D such as 4/4 or 6/8, got " + quoted(value);
    } else if (name == "--start-ppq") {
        if (!parseNumber(value, o.startPpq))
            return "--start-ppq expects a position in quarter notes, got " + quoted(value);
    } else if (name == "--note-on") {
        if (!parseNoteOns(value, o.noteOns))
            return "--note-on expects seconds such as 0.5,1.0, got " + quoted(value);
    } else if (name == "--block") {
        long block = 0;
        if (!parseInteger(value, 1, kMaxBlockSize, block))
            return "--block expects frames from 1 to " + std::to_string(kMaxBlockSize) + ", got " +
                   quoted(value);
        o.blockSize = static_cast<int>(block);
    } else {
        return "unknown option " + quoted(name);
    }
    return "";
}

bool takesValue(const std::string& name) {
    static const char* const valued[] = {
        "--plugin", "--output", "-o",         "--plot",      "--editor-png", "--program", "--param",
        "-p",       "--tempo",  "--time-sig", "--start-ppq", "--note-on",    "--block"};
    for (const char* v : valued)
        if (name == v) return true;
    return false;
}

// Flags without a value; false if name is none of them.
bool applyFlag(const std::string& name, Options& o) {
    if (name == "--help" || name == "-h")
        o.help = true;
    else if (name == "--list")
        o.list = true;
    else if (name == "--programs")
        o.programs = true;
    else if (name == "--stopped")
        o.stopped = true;
    else if (name == "--no-time-info")
        o.noTimeInfo = true;
    else if (name == "--keep-going")
        o.keepGoing = true;
    else
        return false;
    return true;
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args) {
    ParseResult r;
    Options& o = r.options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            std::string name = arg;
            std::optional<std::string> value;
            const auto eq = arg.find('=');
            if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {  // --name=value
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            }
            if (takesValue(name)) {
                if (!value) {
                    if (i + 1 >= args.size()) {
                        r.error = name + " needs a value";
                        return r;
                    }
                    value = args[++i];
                }
                r.error = applyValued(name, *value, o);
                if (!r.error.empty()) return r;
            } else if (value || !applyFlag(name, o)) {
                r.error = value ? name + " takes no value" : "unknown option " + quoted(arg);
                return r;
            }
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + i + 1, args.end());
            break;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() > 2) {
        r.error = "too many files: expected INPUT [OUTPUT]";
        return r;
    }
    if (!positional.empty()) o.inputPath = positional[0];
    if (!positional.empty() && o.inputPath.empty()) {
        r.error = "the input file name is empty";
        return r;
    }
    if (positional.size() == 2) {
        if (positional[1].empty()) {
            r.error = "the output file name is empty";
            return r;
        }
        if (!o.outputPath.empty()) {
            r.error = "the output is given twice (as a file and with --output)";
            return r;
        }
        o.outputPath = positional[1];
    }
    if (o.stopped && o.noTimeInfo) {
        r.error = "--stopped and --no-time-info exclude each other";
        return r;
    }
    return r;
}

std::string usageText() {
    return R"(usage: tavolu-host [options] [INPUT [OUTPUT]]

Loads a VST 2.4 plug-in and renders INPUT (WAV, AIFF or FLAC) through it into
OUTPUT at the file's sample rate. Without INPUT it renders
a built-in drum loop (four bars at 120 BPM) through the preset "Ping Pong".

  --list                 print the plug-in's identity and parameter table
  --programs             print the program names
  --plugin PATH          the plug-in library (default: the one next to the build)
  --program N|NAME       select a program by number or by name
  -p, --param NAME=VALUE set a parameter (NAME as --list shows it, any case): a
                         normalised value 0..1, or a text the plug-in displays
                         (e.g. "Trig Source=Quarter Note"); a text is found by
                         trying the values 0, 0.001, ... 1 in turn and taking
                         the first whose display matches
  -o, --output FILE      the output file (default: INPUT-panned.EXT, demo.wav);
                         its extension (.wav, .aiff, .flac) sets the format,
                         else the input's format is kept. A symbolic link is
                         written through, a device written directly, a file
                         with other names (hard links) rewritten in place
  --plot FILE.png        draw input and output envelopes over time
  --editor-png FILE.png  a picture of the plug-in's editor as it looks after
                         the render; the editor runs in a private X server
                         (Xvfb, Debian package xvfb), no display needed
  --tempo BPM            host tempo (default 120)
  --time-sig N/D         host time signature (default 4/4)
  --start-ppq Q          song position of the first sample, in quarter notes
  --stopped              transport halted: the song position stays put
  --no-time-info         answer no time information at all
  --note-on T1,T2,...    MIDI note-ons at these times in seconds (velocity 100)
  --block N              frames per processing call (default 512)
  --keep-going           render a cut or damaged input as far as it goes (a
                         warning, exit 0) instead of failing on it
  -h, --help             this text
)";
}

}  // namespace tavolu::host
