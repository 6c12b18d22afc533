#include "tools/host/audio_file.h"

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "tools/host/replacing_file.h"

namespace tavolu::host {
namespace {

constexpr sf_count_t kChunkFrames = 65536;  // frames per read or write call

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

bool supportedMajor(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
        case SF_FORMAT_WAV:
        case SF_FORMAT_WAVEX:
        case SF_FORMAT_AIFF:
        case SF_FORMAT_FLAC: return true;
        default: return false;
    }
}

// Bits of an integer PCM encoding, or 0 for any other encoding (float, and
// the compressed ones libsndfile converts itself).
int pcmBits(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8: return 8;
        case SF_FORMAT_PCM_16: return 16;
        case SF_FORMAT_PCM_24: return 24;
        case SF_FORMAT_PCM_32: return 32;
        default: return 0;
    }
}

// libsndfile hands integer samples left-aligned in 32 bits; scaling them
// ourselves keeps s / 2^(bits-1) and back exact (its own float path scales
// reading and writing differently).
constexpr double kInt32Scale = 2147483648.0;  // 2^31

float fromInt32(int v) {
    return static_cast<float>(static_cast<double>(v) / kInt32Scale);
}

int toInt32(float x, int bits) {
    const double steps = std::ldexp(1.0, bits - 1);
    double q = std::nearbyint(static_cast<double>(x) * steps);
    if (!(q == q)) q = 0.0;  // NaN from a misbehaving plug-in: silence
    q = std::fmin(std::fmax(q, -steps), steps - 1.0);
    return static_cast<int>(std::ldexp(q, 32 - bits));
}

}  // namespace

int demoFormat() {
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

bool readAudioFile(const std::string& path, Audio& audio, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        error = "cannot read " + path + ": no such file";
        return false;
    }
    SF_INFO info{};
    SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (!supportedMajor(info.format)) {
        error = "unsupported file format: " + path + " (WAV, AIFF and FLAC are supported)";
        return false;
    }
    if (info.channels < 1 || info.channels > 2) {
        error = "cannot read " + path + ": " + std::to_string(info.channels) +
                " channels (mono and stereo are supported)";
        return false;
    }
    audio.sampleRate = info.samplerate;
    audio.channels = info.channels;
    audio.format = info.format;
    audio.samples.clear();
    const int bits = pcmBits(info.format);
    std::vector<int> ints(bits ? kChunkFrames * info.channels : 0);
    std::vector<float> floats(kChunkFrames * info.channels);
    while (true) {
        sf_count_t got = 0;
        if (bits) {
            got = sf_readf_int(file.get(), ints.data(), kChunkFrames);
            for (sf_count_t i = 0; i < got * info.channels; ++i) floats[i] = fromInt32(ints[i]);
        } else {
            got = sf_readf_float(file.get(), floats.data(), kChunkFrames);
        }
        if (got <= 0) break;
        audio.samples.insert(audio.samples.end(), floats.begin(),
                             floats.begin() + got * info.channels);
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        error = "cannot read " + path + ": " + sf_strerror(file.get());
        return false;
    }
    return true;
}

bool writeAudioFile(const std::string& path, const Audio& audio, std::string& error) {
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = audio.format;
    if (!sf_format_check(&info)) {
        error = "cannot write " + path + ": the input's format does not take " +
                std::to_string(audio.channels) + " channels";
        return false;
    }
    ReplacingFile out;
    const int fd = out.open(path, error);
    if (fd < 0) return false;
    SndfilePtr file(sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE));
    if (!file) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    out.releaseDescriptor();
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const int bits = pcmBits(audio.format);
    const long frames = audio.frames();
    std::vector<int> ints(bits ? kChunkFrames * audio.channels : 0);
    for (long start = 0; start < frames; start += kChunkFrames) {
        const sf_count_t n = std::min<sf_count_t>(kChunkFrames, frames - start);
        const float* chunk = audio.samples.data() + start * audio.channels;
        sf_count_t written = 0;
        if (bits) {
            for (sf_count_t i = 0; i < n * audio.channels; ++i) ints[i] = toInt32(chunk[i], bits);
            written = sf_writef_int(file.get(), ints.data(), n);
        } else {
            written = sf_writef_float(file.get(), chunk, n);
        }
        if (written != n) {
            error = "cannot write " + path + ": " + sf_strerror(file.get());
            return false;
        }
    }
    if (sf_close(file.release()) != 0) {
        error = "cannot write " + path + ": the file could not be completed";
        return false;
    }
    return out.commit(error);
}

}  // namespace tavolu::host
