#include "tools/lv2host/lv2_render.h"

#include <algorithm>
#include <cstdlib>

#include "tools/host/audio_file.h"
#include "tools/host/demo_signal.h"
#include "tools/host/host_app.h"
#include "tools/host/options.h"
#include "tools/host/render.h"
#include "tools/lv2host/lv2_host.h"

namespace tavolu::lv2host {

namespace {

using host::Options;

constexpr const char* kDemoPreset = "Ping Pong";
constexpr const char* kDemoOutput = "demo-lv2.wav";

struct Failure {
    int code = host::kExitOk;
    std::string message;
};

// What the VST host offers that has no meaning for an LV2 render.
std::string unsupported(const Options& o) {
    if (o.list || o.programs) return "--list and --programs: see lv2info urn:tavolu:autopan";
    if (!o.plotPath.empty() || !o.editorPngPath.empty()) return "--plot and --editor-png";
    if (!o.pluginPath.empty()) return "--plugin";
    if (o.keepGoing) return "--keep-going";
    return {};
}

// NAME=VALUE: a number, or the label of one of the port's scale points.
Failure applySettings(Lv2Host& lv2, const Options& o) {
    for (const host::ParameterSetting& s : o.parameters) {
        const int port = lv2.controlIndex(s.name);
        if (port < 0) return {host::kExitFailure, "no parameter \"" + s.name + "\""};
        char* end = nullptr;
        float value = std::strtof(s.value.c_str(), &end);
        const bool number = !s.value.empty() && *end == '\0';
        if (!number && !lv2.scalePoint(port, s.value, value))
            return {host::kExitFailure, "\"" + s.value + "\" is not a value of " + s.name};
        lv2.setControl(port, value);
    }
    return {};
}

Failure render(Lv2Host& lv2, const Options& o, host::AudioReader& input,
               host::AudioWriter& output) {
    const int block = o.blockSize;
    const int channels = input.channels();
    const std::vector<long> notes =
        host::noteOnFrames(o.noteOns, input.sampleRate(), input.promisedFrames());
    std::vector<float> read(static_cast<std::size_t>(block) * channels);
    std::vector<float> left(block), right(block), inL(block), inR(block), written(2 * block);
    std::size_t next = 0;
    long pos = 0;
    std::string error;
    while (const long got = input.read(read.data(), block)) {
        const int n = static_cast<int>(got);
        std::vector<int> at;
        while (next < notes.size() && notes[next] < pos + n) at.push_back(notes[next++] - pos);
        for (int i = 0; i < n; ++i) {
            inL[i] = read[static_cast<std::size_t>(i) * channels];
            inR[i] = read[static_cast<std::size_t>(i) * channels + channels - 1];
        }
        lv2.process(inL.data(), inR.data(), left.data(), right.data(), static_cast<uint32_t>(n),
                    at);
        for (int i = 0; i < n; ++i) {
            written[2 * i] = left[i];
            written[2 * i + 1] = right[i];
        }
        if (!output.write(written.data(), n, error)) return {host::kExitFailure, error};
        pos += n;
    }
    if (input.promisedFrames() > pos)
        return {host::kExitFailure,
                std::to_string(input.promisedFrames() - pos) + " frames of the input are missing"};
    return {};
}

Failure run(const Options& o, const std::string& bundle, std::ostream& out) {
    host::AudioReader input;
    std::string error;
    if (o.inputPath.empty()) {
        input.openMemory(host::demoDrumLoop());
    } else if (!input.open(o.inputPath, error)) {
        return {host::kExitFailure, error};
    }
    Lv2Host lv2;
    if (!lv2.load(bundle, input.sampleRate(), error)) return {host::kExitFailure, error};
    const std::string preset = o.program ? *o.program : o.inputPath.empty() ? kDemoPreset : "";
    if (!preset.empty() && !lv2.applyPreset(preset, error)) return {host::kExitFailure, error};
    if (Failure f = applySettings(lv2, o); f.code) return f;

    host::TransportSettings t;
    t.sampleRate = input.sampleRate();
    t.tempo = o.tempo;
    t.timeSigNumerator = o.timeSigNumerator;
    t.timeSigDenominator = o.timeSigDenominator;
    t.startPpq = o.startPpq;
    t.running = !o.stopped;
    lv2.setTransport(t, !o.noTimeInfo);
    lv2.activate();

    const std::string outputPath = !o.outputPath.empty() ? o.outputPath
                                   : o.inputPath.empty() ? kDemoOutput
                                                         : host::defaultOutputPath(o.inputPath);
    int format = 0;
    if (!host::outputFormatFor(outputPath, input.format(), 2, format, error))
        return {host::kExitUsage, error};
    host::AudioWriter output;
    if (!output.open(outputPath, input.sampleRate(), 2, format, error))
        return {host::kExitFailure, error};
    if (Failure f = render(lv2, o, input, output); f.code) return f;
    if (!output.finish(error)) return {host::kExitFailure, error};
    out << "wrote " << outputPath << "\n";
    return {};
}

}  // namespace

int runLv2Render(const std::vector<std::string>& args, const std::string& bundle, std::ostream& out,
                 std::ostream& err) {
    host::ParseResult parsed = host::parseOptions(args);
    if (parsed.error.empty() && !parsed.options.help) {
        if (const std::string what = unsupported(parsed.options); !what.empty())
            parsed.error = what + ": only the VST host (tavolu-host) has these";
    }
    if (!parsed.error.empty()) {
        err << "tavolu-lv2-render: error: " << parsed.error << "\n";
        return host::kExitUsage;
    }
    if (parsed.options.help) {
        out << "usage: tavolu-lv2-render [INPUT] [-o OUTPUT] [--program PRESET] [-p "
               "NAME=VALUE]...\n"
               "       [--tempo BPM] [--time-sig N/D] [--start-ppq Q] [--stopped] "
               "[--no-time-info]\n"
               "       [--note-on SECONDS,...] [--block FRAMES]\n"
               "Renders INPUT (or the built-in drum loop, through \"Ping Pong\") through the LV2\n"
               "bundle with the options of tavolu-host. The bundle: TAVOLU_LV2_BUNDLE or the "
               "build's.\n";
        return host::kExitOk;
    }
    const Failure f = run(parsed.options, bundle, out);
    if (f.code) err << "tavolu-lv2-render: error: " << f.message << "\n";
    return f.code;
}

}  // namespace tavolu::lv2host
