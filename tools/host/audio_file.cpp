#include "tools/host/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace tavolu::host {
namespace {

constexpr sf_count_t kChunkFrames = 65536;  // frames per call of the whole-file helpers
constexpr int kLogSize = 16384;             // bytes of libsndfile's header log we look at

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

// Bytes a sample takes in the file, or 0 when it has no fixed size.
int sampleBytes(int format) {
    if (const int bits = pcmBits(format)) return bits / 8;
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_FLOAT: return 4;
        case SF_FORMAT_DOUBLE: return 8;
        case SF_FORMAT_ULAW:
        case SF_FORMAT_ALAW: return 1;
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

// A WAV or AIFF file cut short still opens: libsndfile shortens its data
// chunk to what the file holds and notes "data : D (should be N)" in its log.
// The frames the header promised beyond that, from the log's first such note
// on the data chunk.
long framesCutFromHeader(SNDFILE* file, int format, int channels) {
    const int bytes = sampleBytes(format) * channels;
    if (bytes <= 0) return 0;
    std::vector<char> log(kLogSize, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), kLogSize - 1);
    for (const char* chunk : {"data :", "SSND :"}) {
        const char* at = std::strstr(log.data(), chunk);
        if (!at) continue;
        char* end = nullptr;
        const long long claimed = std::strtoll(at + std::strlen(chunk), &end, 10);
        const char* should = std::strstr(end, "(should be ");
        const char* lineEnd = std::strchr(end, '\n');
        if (!should || (lineEnd && should > lineEnd)) return 0;
        const long long held = std::strtoll(should + std::strlen("(should be "), nullptr, 10);
        if (claimed <= held) return 0;
        return static_cast<long>((claimed - held + bytes - 1) / bytes);  // a partial frame counts
    }
    return 0;
}

std::string lowercase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The major format an extension names, or 0 for one the host does not write.
int majorForExtension(const std::string& extension) {
    const std::string e = lowercase(extension);
    if (e == ".wav") return SF_FORMAT_WAV;
    if (e == ".aif" || e == ".aiff" || e == ".aifc") return SF_FORMAT_AIFF;
    if (e == ".flac") return SF_FORMAT_FLAC;
    return 0;
}

int sameKind(int major) {
    return major == SF_FORMAT_WAVEX ? SF_FORMAT_WAV : major;
}

}  // namespace

int demoFormat() {
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

bool outputFormatFor(const std::string& path, int inputFormat, int channels, int& format,
                     std::string& error) {
    const std::string extension = std::filesystem::path(path).extension().string();
    format = inputFormat;
    if (extension.empty()) return true;
    const int major = majorForExtension(extension);
    if (major == 0) {
        error = "cannot write " + path + ": the extension " + extension +
                " names no format the host writes (.wav, .aiff or .flac)";
        return false;
    }
    if (major == sameKind(inputFormat & SF_FORMAT_TYPEMASK)) return true;
    // Another kind of file: keep the encoding when it takes it (FLAC takes
    // no float and at most 24 bits), else the nearest one it does.
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = 44100;
    for (int subtype :
         {inputFormat & SF_FORMAT_SUBMASK, int{SF_FORMAT_PCM_24}, int{SF_FORMAT_PCM_16}}) {
        info.format = major | subtype;
        if (sf_format_check(&info)) {
            format = info.format;
            return true;
        }
    }
    error = "cannot write " + path + ": the format of its extension takes no audio like the input";
    return false;
}

AudioReader::~AudioReader() {
    if (file_) sf_close(file_);
}

bool AudioReader::open(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        error = "cannot read " + path + ": no such file";
        return false;
    }
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (!file_) {
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
    path_ = path;
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
    format_ = info.format;
    bits_ = pcmBits(info.format);
    promised_ = static_cast<long>(info.frames) + framesCutFromHeader(file_, format_, channels_);
    return true;
}

void AudioReader::openMemory(Audio audio) {
    memory_ = std::move(audio);
    sampleRate_ = memory_.sampleRate;
    channels_ = memory_.channels;
    format_ = memory_.format;
    promised_ = memory_.frames();
}

long AudioReader::read(float* interleaved, long frames) {
    long got = 0;
    if (!file_) {
        got = std::clamp(memory_.frames() - read_, 0L, frames);
        std::copy_n(memory_.samples.data() + read_ * channels_, got * channels_, interleaved);
    } else if (bits_) {
        ints_.resize(static_cast<std::size_t>(frames) * channels_);
        got = static_cast<long>(sf_readf_int(file_, ints_.data(), frames));
        for (long i = 0; i < got * channels_; ++i) interleaved[i] = fromInt32(ints_[i]);
    } else {
        got = static_cast<long>(sf_readf_float(file_, interleaved, frames));
    }
    got = std::max(got, 0L);
    read_ += got;
    return got;
}

std::string AudioReader::readError() const {
    if (!file_ || sf_error(file_) == SF_ERR_NO_ERROR) return "";
    return sf_strerror(file_);
}

AudioWriter::~AudioWriter() {
    if (file_) sf_close(file_);
}

bool AudioWriter::open(const std::string& path, int sampleRate, int channels, int format,
                       std::string& error) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    if (!sf_format_check(&info)) {
        error = "cannot write " + path + ": the format does not take " + std::to_string(channels) +
                " channels at " + std::to_string(sampleRate) + " Hz";
        return false;
    }
    const int fd = target_.open(path, error);
    if (fd < 0) return false;
    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file_) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    target_.releaseDescriptor();
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    path_ = path;
    channels_ = channels;
    bits_ = pcmBits(format);
    return true;
}

bool AudioWriter::write(const float* interleaved, long frames, std::string& error) {
    sf_count_t written = 0;
    if (bits_) {
        ints_.resize(static_cast<std::size_t>(frames) * channels_);
        for (long i = 0; i < frames * channels_; ++i) ints_[i] = toInt32(interleaved[i], bits_);
        written = sf_writef_int(file_, ints_.data(), frames);
    } else {
        written = sf_writef_float(file_, interleaved, frames);
    }
    if (written == frames) return true;
    error = "cannot write " + path_ + ": " + sf_strerror(file_);
    return false;
}

bool AudioWriter::finish(std::string& error) {
    SNDFILE* file = file_;
    file_ = nullptr;
    if (sf_close(file) != 0) {
        error = "cannot write " + path_ + ": the file could not be completed";
        return false;
    }
    return target_.commit(error);
}

bool readAudioFile(const std::string& path, Audio& audio, std::string& error) {
    AudioReader reader;
    if (!reader.open(path, error)) return false;
    audio.sampleRate = reader.sampleRate();
    audio.channels = reader.channels();
    audio.format = reader.format();
    audio.samples.clear();
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * reader.channels());
    while (const long got = reader.read(chunk.data(), kChunkFrames))
        audio.samples.insert(audio.samples.end(), chunk.begin(),
                             chunk.begin() + got * reader.channels());
    const std::string why = reader.readError();
    if (why.empty()) return true;
    error = "cannot read " + path + ": " + why;
    return false;
}

bool writeAudioFile(const std::string& path, const Audio& audio, std::string& error) {
    AudioWriter writer;
    if (!writer.open(path, audio.sampleRate, audio.channels, audio.format, error)) return false;
    if (!writer.write(audio.samples.data(), audio.frames(), error)) return false;
    return writer.finish(error);
}

}  // namespace tavolu::host
