#include "tools/host/host_app.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "tools/host/audio_file.h"
#include "tools/host/demo_signal.h"
#include "tools/host/listing.h"
#include "tools/host/options.h"
#include "tools/host/parameter_lookup.h"
#include "tools/host/plot.h"
#include "tools/host/plugin_host.h"
#include "tools/host/progress.h"
#include "tools/host/render.h"
#include "tools/host/replacing_file.h"

namespace tavolu::host {
namespace {

constexpr const char* kDemoOutput = "demo.wav";

struct Failure {
    int code;
    std::string message;
};

// A parameter ready to write: the index and the normalised value.
struct ResolvedSetting {
    int index;
    float value;
};

TransportSettings transportFrom(const Options& o, double sampleRate) {
    TransportSettings t;
    t.sampleRate = sampleRate;
    t.tempo = o.tempo;
    t.timeSigNumerator = o.timeSigNumerator;
    t.timeSigDenominator = o.timeSigDenominator;
    t.startPpq = o.startPpq;
    t.running = !o.stopped;
    return t;
}

// The program to select: the one asked for, or for the demo its preset when
// the plug-in has one of that name; -1 to keep the plug-in's own choice.
std::optional<Failure> chooseProgram(PluginHost& plugin, const Options& o, int& program) {
    std::string error;
    program = -1;
    if (o.program) {
        program = findProgram(plugin, *o.program, error);
        if (program < 0) return Failure{kExitFailure, error};
    } else if (o.inputPath.empty() && !o.list && !o.programs) {
        program = findProgram(plugin, kDemoProgram, error);  // -1 if the plug-in lacks it
    }
    return std::nullopt;
}

// Names to indices and texts to values. Display texts are searched on a
// second instance of the plug-in so the search leaves the real one alone.
std::optional<Failure> resolveSettings(PluginHost& plugin, const Options& o, int program,
                                       float sampleRate, std::vector<ResolvedSetting>& out) {
    std::unique_ptr<PluginHost> scratch;
    for (const ParameterSetting& s : o.parameters) {
        std::string error;
        const int index = findParameter(plugin, s.name, error);
        if (index < 0) return Failure{kExitFailure, error};
        if (!scratch) {
            scratch = std::make_unique<PluginHost>();
            if (!scratch->load(o.pluginPath, error)) return Failure{kExitFailure, error};
            scratch->start(sampleRate, o.blockSize);
            if (program >= 0) scratch->setProgram(program);
        }
        float value = 0.0f;
        if (!resolveValue(*scratch, index, s.value, value, error))
            return Failure{kExitFailure, error};
        out.push_back({index, value});
    }
    return std::nullopt;
}

// Whether two paths name the same file, whether it exists yet or not.
bool sameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;  // both exist (hard links too)
    const fs::path canonicalA = fs::weakly_canonical(a, ec);
    if (ec) return a == b;
    const fs::path canonicalB = fs::weakly_canonical(b, ec);
    if (ec) return a == b;
    return canonicalA == canonicalB;
}

// A plot written over the audio or over the input would destroy it after the
// run had reported it written.
std::optional<Failure> checkPlotPath(const Options& o, const std::string& outputPath) {
    if (o.plotPath.empty()) return std::nullopt;
    if (sameFile(o.plotPath, outputPath))
        return Failure{kExitUsage, "--plot names the output file " + outputPath};
    if (!o.inputPath.empty() && sameFile(o.plotPath, o.inputPath))
        return Failure{kExitUsage, "--plot names the input file " + o.inputPath};
    return std::nullopt;
}

std::string plotTitle(PluginHost& plugin, const Options& o) {
    const std::string source = o.inputPath.empty()
                                   ? std::string("demo drum loop")
                                   : std::filesystem::path(o.inputPath).filename().string();
    return trimBlanks(plugin.effectName()) + ": " +
           trimBlanks(plugin.programNameIndexed(plugin.currentProgram())) + " - " + source;
}

std::optional<Failure> renderFile(PluginHost& plugin, const Options& o, std::ostream& out) {
    Audio input;
    std::string error;
    if (o.inputPath.empty()) {
        input = demoDrumLoop();
    } else if (!readAudioFile(o.inputPath, input, error)) {
        return Failure{kExitFailure, error};
    }
    const std::string outputPath = !o.outputPath.empty() ? o.outputPath
                                   : o.inputPath.empty() ? kDemoOutput
                                                         : defaultOutputPath(o.inputPath);
    if (auto f = checkPlotPath(o, outputPath)) return f;
    if (!canCreate(outputPath, error)) return Failure{kExitFailure, error};
    if (!o.plotPath.empty() && !canCreate(o.plotPath, error)) return Failure{kExitFailure, error};
    const float sampleRate = static_cast<float>(input.sampleRate);

    int program = -1;
    if (auto f = chooseProgram(plugin, o, program)) return f;
    std::vector<ResolvedSetting> settings;
    if (auto f = resolveSettings(plugin, o, program, sampleRate, settings)) return f;

    plugin.setTransport(transportFrom(o, input.sampleRate), !o.noTimeInfo);
    plugin.start(sampleRate, o.blockSize);
    // Plug-ins may derive times in samples when a parameter is written, from
    // the rate they know at that moment; so the program (the plug-in's own one
    // too) and the settings go in after the file's rate is set and resumed.
    plugin.setProgram(program >= 0 ? program : plugin.currentProgram());
    for (const ResolvedSetting& s : settings) plugin.setParameter(s.index, s.value);

    Audio output;
    {
        const double seconds = static_cast<double>(input.frames()) / input.sampleRate;
        Progress progress(stderr, seconds > kProgressMinSeconds);
        if (!render(plugin, input, {o.blockSize, o.noteOns}, progress, output, error))
            return Failure{kExitFailure, error};
    }
    if (!writeAudioFile(outputPath, output, error)) return Failure{kExitFailure, error};
    out << "wrote " << outputPath << "\n";
    if (!o.plotPath.empty()) {
        if (!writePlot(o.plotPath, plotTitle(plugin, o), input, output, error))
            return Failure{kExitFailure, error};
        out << "wrote " << o.plotPath << "\n";
    }
    return std::nullopt;
}

std::optional<Failure> listPlugin(PluginHost& plugin, const Options& o, std::ostream& out) {
    int program = -1;
    if (auto f = chooseProgram(plugin, o, program)) return f;
    if (program >= 0) plugin.setProgram(program);
    std::vector<ResolvedSetting> settings;
    if (auto f = resolveSettings(plugin, o, program, 44100.0f, settings)) return f;
    for (const ResolvedSetting& s : settings) plugin.setParameter(s.index, s.value);
    if (o.list) {
        printIdentity(plugin, o.pluginPath, out);
        out << "\n";
        printParameters(plugin, out);
    }
    if (o.programs) {
        if (o.list) out << "\n";
        printPrograms(plugin, out);
    }
    return std::nullopt;
}

}  // namespace

std::string defaultOutputPath(const std::string& inputPath) {
    const std::filesystem::path in(inputPath);
    return (in.parent_path() / (in.stem().string() + "-panned" + in.extension().string())).string();
}

int runHost(const std::vector<std::string>& args, const std::string& defaultPlugin,
            std::ostream& out, std::ostream& err) {
    ParseResult parsed = parseOptions(args);
    if (!parsed.error.empty()) {
        err << "tavolu-host: error: " << parsed.error << " (see --help)\n";
        return kExitUsage;
    }
    Options& o = parsed.options;
    if (o.help) {
        out << usageText();
        return kExitOk;
    }
    if (o.pluginPath.empty()) o.pluginPath = defaultPlugin;

    PluginHost plugin;
    std::string error;
    if (!plugin.load(o.pluginPath, error)) {
        err << "tavolu-host: error: " << error << "\n";
        return kExitFailure;
    }
    const std::optional<Failure> failure =
        (o.list || o.programs) ? listPlugin(plugin, o, out) : renderFile(plugin, o, out);
    if (failure) {
        err << "tavolu-host: error: " << failure->message << "\n";
        return failure->code;
    }
    return kExitOk;
}

}  // namespace tavolu::host
