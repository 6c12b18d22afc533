#include "tools/host/host_app.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "tools/host/audio_file.h"
#include "tools/host/demo_signal.h"
#include "tools/host/editor_window.h"
#include "tools/host/listing.h"
#include "tools/host/options.h"
#include "tools/host/parameter_lookup.h"
#include "tools/host/plot.h"
#include "tools/host/plugin_host.h"
#include "tools/host/png_output.h"
#include "tools/host/private_x_server.h"
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

// A picture written over the audio, over the input or over the other picture
// would destroy that file after the run had reported it written.
std::optional<Failure> refuseClash(const char* option, const std::string& picture, const char* what,
                                   const std::string& other) {
    if (picture.empty() || other.empty() || !sameFile(picture, other)) return std::nullopt;
    return Failure{kExitUsage, std::string(option) + " names the " + what + " file " + other};
}

std::optional<Failure> checkPicturePaths(const Options& o, const std::string& outputPath) {
    for (auto f : {refuseClash("--plot", o.plotPath, "output", outputPath),
                   refuseClash("--plot", o.plotPath, "input", o.inputPath),
                   refuseClash("--editor-png", o.editorPngPath, "output", outputPath),
                   refuseClash("--editor-png", o.editorPngPath, "input", o.inputPath),
                   refuseClash("--editor-png", o.editorPngPath, "plot", o.plotPath)})
        if (f) return f;
    return std::nullopt;
}

// Every file the run will write, checked before the work rather than after.
std::optional<Failure> checkCreatable(const Options& o, const std::string& outputPath) {
    std::string error;
    for (const std::string& path : {outputPath, o.plotPath, o.editorPngPath})
        if (!path.empty() && !canCreate(path, error)) return Failure{kExitFailure, error};
    return std::nullopt;
}

// What the editor's picture needs, checked before any work: an editor, and
// the X server to show it in, whose path is given back.
std::optional<Failure> checkEditorPicture(PluginHost& plugin, const Options& o,
                                          std::string& server) {
    if (o.editorPngPath.empty()) return std::nullopt;
    if (!plugin.hasEditor())
        return Failure{kExitFailure,
                       "--editor-png: the plug-in " + o.pluginPath + " has no editor"};
    server = findOnPath(kXServerProgram);
    if (server.empty())
        return Failure{kExitFailure, std::string("--editor-png needs the X server ") +
                                         kXServerProgram + ", which is not on PATH (install the " +
                                         "Debian package " + kXServerPackage + ")"};
    return std::nullopt;
}

std::string plotTitle(PluginHost& plugin, const Options& o) {
    const std::string source = o.inputPath.empty()
                                   ? std::string("demo drum loop")
                                   : std::filesystem::path(o.inputPath).filename().string();
    return trimBlanks(plugin.effectName()) + ": " +
           trimBlanks(plugin.programNameIndexed(plugin.currentProgram())) + " - " + source;
}

// The program, the settings and the transport, then the resume.
std::optional<Failure> preparePlugin(PluginHost& plugin, const Options& o, const Audio& input) {
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
    return std::nullopt;
}

// The render, with the editor (when it is open) idled between blocks and
// pictured at the end.
std::optional<Failure> renderWithEditor(PluginHost& plugin, const Options& o, const Audio& input,
                                        EditorWindow& editor, Audio& output,
                                        std::optional<Canvas>& editorPicture) {
    std::string error;
    RenderSettings settings{o.blockSize, o.noteOns, {}};
    if (editor.isOpen())
        settings.afterBlock = [&editor](double seconds) { editor.idleAt(seconds); };
    const double seconds = static_cast<double>(input.frames()) / input.sampleRate;
    Progress progress(stderr, seconds > kProgressMinSeconds);
    if (!render(plugin, input, settings, progress, output, error))
        return Failure{kExitFailure, error};
    if (editor.isOpen()) {
        editorPicture = editor.capture(error);
        if (!editorPicture) return Failure{kExitFailure, error};
        editor.close();
    }
    return std::nullopt;
}

std::optional<Failure> writeOutputs(PluginHost& plugin, const Options& o,
                                    const std::string& outputPath, const Audio& input,
                                    const Audio& output, const std::optional<Canvas>& editorPicture,
                                    std::ostream& out) {
    std::string error;
    if (!writeAudioFile(outputPath, output, error)) return Failure{kExitFailure, error};
    out << "wrote " << outputPath << "\n";
    if (!o.plotPath.empty()) {
        if (!writePlot(o.plotPath, plotTitle(plugin, o), input, output, error))
            return Failure{kExitFailure, error};
        out << "wrote " << o.plotPath << "\n";
    }
    if (editorPicture) {
        if (!writePng(o.editorPngPath, *editorPicture, error)) return Failure{kExitFailure, error};
        out << "wrote " << o.editorPngPath << "\n";
    }
    return std::nullopt;
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
    if (auto f = checkPicturePaths(o, outputPath)) return f;
    if (auto f = checkCreatable(o, outputPath)) return f;
    std::string xServer;
    if (auto f = checkEditorPicture(plugin, o, xServer)) return f;
    if (auto f = preparePlugin(plugin, o, input)) return f;

    // Closed by its destructor on every way out, the server stopped with it.
    EditorWindow editor(plugin);
    if (!o.editorPngPath.empty() && !editor.open(xServer, error))
        return Failure{kExitFailure, error};
    Audio output;
    std::optional<Canvas> editorPicture;
    if (auto f = renderWithEditor(plugin, o, input, editor, output, editorPicture)) return f;
    return writeOutputs(plugin, o, outputPath, input, output, editorPicture, out);
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
