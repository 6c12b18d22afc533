// The fuzzer of what the command-line host reads: its command line (options,
// program names and parameter texts, resolved against the loaded plug-in) and
// the audio files libsndfile opens, rendered through the plug-in when short.
// The first byte picks which; the rest is the argument list (split at zero
// bytes) or the file's contents.
#include <sndfile.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/host/audio_file.h"
#include "tools/host/options.h"
#include "tools/host/parameter_lookup.h"
#include "tools/host/plugin_host.h"
#include "tools/host/progress.h"
#include "tools/host/render.h"

using namespace tavolu::host;

namespace {

constexpr std::size_t kMaxArguments = 24;
constexpr std::size_t kMaxSettingsResolved = 4;  // each tries up to 1001 values
constexpr long kMaxRenderedFrames = 1 << 15;     // longer files are read, not rendered
constexpr int kRenderBlock = 512;                // frames

[[noreturn]] void fail(const char* rule) {
    std::fprintf(stderr, "command-line fuzzer: %s\n", rule);
    std::abort();
}

// One plug-in for every input: loading it is the slow part, and the lookups
// and renders leave nothing behind that the next input could trip over.
PluginHost& plugin() {
    static PluginHost* loaded = [] {
        auto* host = new PluginHost;
        std::string error;
        if (!host->load(TAVOLU_PLUGIN_PATH, error)) {
            std::fprintf(stderr, "cannot load %s: %s\n", TAVOLU_PLUGIN_PATH, error.c_str());
            std::abort();
        }
        return host;
    }();
    return *loaded;
}

std::vector<std::string> splitArguments(const uint8_t* data, std::size_t size) {
    if (size == 0) return {};
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size && args.size() <= kMaxArguments; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(static_cast<char>(data[i]));
        }
    }
    return args;
}

void commandLine(const uint8_t* data, std::size_t size) {
    const ParseResult parsed = parseOptions(splitArguments(data, size));
    if (!parsed.error.empty()) return;
    const Options& options = parsed.options;
    if (options.blockSize <= 0) fail("a block size that is not positive was taken");
    if (!std::isfinite(options.tempo) || options.tempo <= 0.0)
        fail("a tempo that cannot be played");
    std::string error;
    if (options.program) {
        const int k = findProgram(plugin(), *options.program, error);
        if (k >= plugin().effect()->numPrograms) fail("a program past the bank was found");
    }
    for (std::size_t i = 0; i < options.parameters.size() && i < kMaxSettingsResolved; ++i) {
        const ParameterSetting& setting = options.parameters[i];
        const int index = findParameter(plugin(), setting.name, error);
        if (index < 0) continue;
        if (index >= plugin().effect()->numParams) fail("a parameter past the table was found");
        float value = 0.0f;
        if (resolveValue(plugin(), index, setting.value, value, error) &&
            !(value >= 0.0f && value <= 1.0f))
            fail("a parameter value outside 0 to 1 was taken");
    }
}

bool allFinite(const float* samples, long count) {
    for (long i = 0; i < count; ++i) {
        if (!std::isfinite(samples[i])) return false;
    }
    return true;
}

// Where renders are written: one file of our own, replaced by each render.
const std::string& outputPath() {
    static const std::string path = [] {
        char name[] = "/tmp/tavolu-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) fail("mkstemp");
        close(fd);
        unlink(name);  // only its unique name was wanted
        return std::string(name) + ".wav";
    }();
    return path;
}

// libsndfile reads from a path: the bytes go into an anonymous memory file.
void audioFile(const uint8_t* data, std::size_t size) {
    const int fd = memfd_create("fuzz-audio", 0);
    if (fd < 0) fail("memfd_create");
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) fail("memfd write");
    Audio audio;
    std::string error;
    const bool read = readAudioFile("/proc/self/fd/" + std::to_string(fd), audio, error);
    close(fd);
    if (!read) return;
    if (audio.channels < 1 || audio.channels > 2) fail("a channel count the host cannot render");
    if (audio.samples.size() % static_cast<std::size_t>(audio.channels) != 0)
        fail("a partial frame");
    if (audio.sampleRate <= 0 || audio.frames() > kMaxRenderedFrames) return;
    PluginHost& host = plugin();
    host.start(static_cast<float>(audio.sampleRate), kRenderBlock);
    const int sampleRate = audio.sampleRate;
    AudioReader reader;
    reader.openMemory(std::move(audio));
    AudioWriter writer;
    if (!writer.open(outputPath(), sampleRate, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, error)) {
        fail("the render's output cannot be opened");
    }
    RenderSettings settings;
    settings.blockSize = kRenderBlock;
    settings.noteOns = {0.0, 0.25};
    bool inputFinite = true;
    long rendered = 0;
    settings.onBlock = [&](const float* input, int channels, const float* output, long frames) {
        inputFinite = inputFinite && allFinite(input, frames * channels);
        if (inputFinite && !allFinite(output, frames * 2)) {
            fail("finite audio rendered to samples that are not");
        }
        rendered += frames;
    };
    Progress progress(stderr, false);
    if (!render(host, reader, writer, settings, progress, error)) return;
    if (rendered != reader.framesRead()) fail("the render is not one frame per input frame");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        audioFile(data + 1, size - 1);
    } else {
        commandLine(data + 1, size - 1);
    }
    return 0;
}
