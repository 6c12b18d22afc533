#include "tools/host/host_app.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
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
        std::string text = s.value;
        const int index = s.text.empty() ? findParameter(plugin, s.name, error)
                                         : findParameterSetting(plugin, s.text, text, error);
        if (index < 0) return Failure{kExitFailure, error};
        if (!scratch) {
            scratch = std::make_unique<PluginHost>();
            if (!scratch->load(o.pluginPath, error)) return Failure{kExitFailure, error};
            scratch->start(sampleRate, o.blockSize);
            if (program >= 0) scratch->setProgram(program);
        }
        float value = 0.0f;
        if (!resolveValue(*scratch, index, text, value, error)) return Failure{kExitFailure, error};
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
    for (auto f : {refuseClash("the output", outputPath, "input", o.inputPath),
                   refuseClash("--plot", o.plotPath, "output", outputPath),
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
std::optional<Failure> preparePlugin(PluginHost& plugin, const Options& o,
                                     const AudioReader& input) {
    const float sampleRate = static_cast<float>(input.sampleRate());
    int program = -1;
    if (auto f = chooseProgram(plugin, o, program)) return f;
    std::vector<ResolvedSetting> settings;
    if (auto f = resolveSettings(plugin, o, program, sampleRate, settings)) return f;

    plugin.setTransport(transportFrom(o, input.sampleRate()), !o.noTimeInfo);
    plugin.start(sampleRate, o.blockSize);
    // Plug-ins may derive times in samples when a parameter is written, from
    // the rate they know at that moment; so the program (the plug-in's own one
    // too) and the settings go in after the file's rate is set and resumed.
    plugin.setProgram(program >= 0 ? program : plugin.currentProgram());
    for (const ResolvedSetting& s : settings) plugin.setParameter(s.index, s.value);
    return std::nullopt;
}

// A note-on past the end would silently do nothing: say so.
void warnAboutLateNotes(const Options& o, const AudioReader& input, std::ostream& err) {
    const long frames = input.promisedFrames();
    for (double seconds : o.noteOns)
        if (noteOnFrames({seconds}, input.sampleRate(), frames).empty())
            err << "tavolu-host: warning: the note-on at " << seconds
                << " s lies past the end of the input ("
                << static_cast<double>(frames) / input.sampleRate() << " s) and is left out\n";
}

// A cut or damaged input renders short: an error, or with --keep-going a
// warning, naming how much is missing.
std::optional<Failure> judgeInput(const Options& o, const AudioReader& input, std::ostream& err) {
    const long missing = input.promisedFrames() - input.framesRead();
    const std::string why = input.readError();
    if (missing <= 0 && why.empty()) return std::nullopt;
    const std::string name = o.inputPath.empty() ? std::string("the demo") : o.inputPath;
    std::string text = name + " is cut short or damaged: ";
    if (missing > 0)
        text += std::to_string(missing) + " of its " + std::to_string(input.promisedFrames()) +
                " frames are missing";
    else
        text += "reading failed at the end";
    if (!why.empty()) text += " (" + why + ")";
    if (!o.keepGoing) return Failure{kExitFailure, text + "; --keep-going renders what there is"};
    err << "tavolu-host: warning: " << text << "; rendered the " << input.framesRead()
        << " frames there are\n";
    return std::nullopt;
}

// The plot's envelopes, gathered block by block as the render goes.
struct PlotGathering {
    explicit PlotGathering(long frames) : input(frames, -1), left(frames, 0), right(frames, 1) {}
    void add(const float* in, int inChannels, const float* out, long n) {
        input.add(in, inChannels, n);
        left.add(out, 2, n);
        right.add(out, 2, n);
    }
    EnvelopeGatherer input, left, right;
};

// The render, with the editor (when it is open) idled between blocks and
// pictured at the end, and the plot's envelopes gathered on the way.
std::optional<Failure> renderWithEditor(PluginHost& plugin, const Options& o, AudioReader& input,
                                        AudioWriter& output, EditorWindow& editor,
                                        std::optional<PlotGathering>& plot,
                                        std::optional<Canvas>& editorPicture) {
    std::string error;
    RenderSettings settings{o.blockSize, o.noteOns, {}, {}};
    if (editor.isOpen())
        settings.afterBlock = [&editor](double seconds) { editor.idleAt(seconds); };
    if (plot)
        settings.onBlock = [&plot](const float* in, int inChannels, const float* out, long n) {
            plot->add(in, inChannels, out, n);
        };
    const double seconds = static_cast<double>(input.promisedFrames()) / input.sampleRate();
    Progress progress(stderr, seconds > kProgressMinSeconds);
    if (!render(plugin, input, output, settings, progress, error))
        return Failure{kExitFailure, error};
    if (editor.isOpen()) {
        editorPicture = editor.capture(error);
        if (!editorPicture) return Failure{kExitFailure, error};
        editor.close();
    }
    return std::nullopt;
}

std::optional<Failure> writePictures(PluginHost& plugin, const Options& o, const AudioReader& input,
                                     const std::optional<PlotGathering>& plot,
                                     const std::optional<Canvas>& editorPicture,
                                     std::ostream& out) {
    std::string error;
    if (plot) {
        const PlotEnvelopes envelopes{
            plot->input.envelope(), plot->left.envelope(), plot->right.envelope(),
            static_cast<double>(input.promisedFrames()) / input.sampleRate()};
        if (!writePlot(o.plotPath, plotTitle(plugin, o), envelopes, error))
            return Failure{kExitFailure, error};
        out << "wrote " << o.plotPath << "\n";
    }
    if (editorPicture) {
        if (!writePng(o.editorPngPath, *editorPicture, error)) return Failure{kExitFailure, error};
        out << "wrote " << o.editorPngPath << "\n";
    }
    return std::nullopt;
}

std::optional<Failure> renderFile(PluginHost& plugin, const Options& o, std::ostream& out,
                                  std::ostream& err) {
    AudioReader input;
    std::string error;
    if (o.inputPath.empty()) {
        input.openMemory(demoDrumLoop());
    } else if (!input.open(o.inputPath, error)) {
        return Failure{kExitFailure, error};
    }
    const std::string outputPath = !o.outputPath.empty() ? o.outputPath
                                   : o.inputPath.empty() ? kDemoOutput
                                                         : defaultOutputPath(o.inputPath);
    if (auto f = checkPicturePaths(o, outputPath)) return f;
    int format = 0;
    if (!outputFormatFor(outputPath, input.format(), 2, format, error))
        return Failure{kExitUsage, error};
    if (auto f = checkCreatable(o, outputPath)) return f;
    std::string xServer;
    if (auto f = checkEditorPicture(plugin, o, xServer)) return f;
    if (auto f = preparePlugin(plugin, o, input)) return f;
    warnAboutLateNotes(o, input, err);

    AudioWriter output;  // removes its unfinished file on every way out
    if (!output.open(outputPath, input.sampleRate(), 2, format, error))
        return Failure{kExitFailure, error};
    // Closed by its destructor on every way out, the server stopped with it.
    EditorWindow editor(plugin);
    if (!o.editorPngPath.empty() && !editor.open(xServer, error))
        return Failure{kExitFailure, error};
    std::optional<PlotGathering> plot;
    if (!o.plotPath.empty()) plot.emplace(input.promisedFrames());
    std::optional<Canvas> editorPicture;
    if (auto f = renderWithEditor(plugin, o, input, output, editor, plot, editorPicture)) return f;
    if (auto f = judgeInput(o, input, err)) return f;
    if (!output.finish(error)) return Failure{kExitFailure, error};
    out << "wrote " << outputPath << "\n";
    return writePictures(plugin, o, input, plot, editorPicture, out);
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

std::optional<Failure> loadAndRun(const Options& o, std::ostream& out, std::ostream& err) {
    PluginHost plugin;
    std::string error;
    if (!plugin.load(o.pluginPath, error)) return Failure{kExitFailure, error};
    return (o.list || o.programs) ? listPlugin(plugin, o, out) : renderFile(plugin, o, out, err);
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

    std::optional<Failure> failure;
    try {
        failure = loadAndRun(o, out, err);
    } catch (const std::bad_alloc&) {
        // Whatever was being written has been removed by its owner on the way here.
        failure = Failure{kExitFailure, "out of memory"};
    }
    if (failure) {
        err << "tavolu-host: error: " << failure->message << "\n";
        return failure->code;
    }
    return kExitOk;
}

}  // namespace tavolu::host
