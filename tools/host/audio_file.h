// Audio files through libsndfile: WAV, AIFF and FLAC in and out, read and
// written a block at a time so a file of any length needs the same memory.
#pragma once

#include <string>
#include <vector>

#include "tools/host/replacing_file.h"

struct sf_private_tag;  // libsndfile's SNDFILE, kept out of the host's headers

namespace tavolu::host {

struct Audio {
    int sampleRate = 44100;      // Hz
    int channels = 2;            // 1 or 2
    int format = 0;              // libsndfile major format | subtype
    std::vector<float> samples;  // interleaved, full scale ±1

    long frames() const { return channels > 0 ? static_cast<long>(samples.size()) / channels : 0; }
};

// The libsndfile format of the built-in demo: 16-bit WAV.
int demoFormat();

// [UI thread] The format to write path in, from its extension: the input's
// own format when the extension names the same kind of file or there is none
// (a device, a name without one); otherwise that kind, keeping the input's
// encoding when it takes it. False with a reason for an extension that names
// no format the host writes.
bool outputFormatFor(const std::string& path, int inputFormat, int channels, int& format,
                     std::string& error);

// Reads interleaved frames from a file or, for the demo, from memory.
class AudioReader {
  public:
    AudioReader() = default;
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    // [UI thread] Refuses formats other than WAV, AIFF and FLAC and files
    // with more than two channels.
    bool open(const std::string& path, std::string& error);
    // [UI thread] Audio held in memory, read out as if it were a file.
    void openMemory(Audio audio);

    int sampleRate() const { return sampleRate_; }  // Hz
    int channels() const { return channels_; }
    int format() const { return format_; }
    // The frames the file's header promises, which a damaged or cut file
    // does not hold in full.
    long promisedFrames() const { return promised_; }

    // [UI thread] Up to frames frames; fewer only at the end of what can be
    // read. Integer encodings come back exact (s / 2^(bits-1)).
    long read(float* interleaved, long frames);
    long framesRead() const { return read_; }
    // Why reading stopped early, or "" when it did not fail.
    std::string readError() const;

  private:
    sf_private_tag* file_ = nullptr;
    Audio memory_;
    std::string path_;
    int sampleRate_ = 0;
    int channels_ = 0;
    int format_ = 0;
    int bits_ = 0;  // integer encodings only
    long promised_ = 0;
    long read_ = 0;
    std::vector<int> ints_;
};

// Writes interleaved frames through a temporary file that replaces the target
// only when finished.
class AudioWriter {
  public:
    AudioWriter() = default;
    ~AudioWriter();  // an unfinished file is removed, the target left alone
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // [UI thread] Integer encodings are rounded to the nearest step and
    // clipped, so a unity pass keeps every sample exact.
    bool open(const std::string& path, int sampleRate, int channels, int format,
              std::string& error);
    bool write(const float* interleaved, long frames, std::string& error);
    // [UI thread] Completes the file and puts it in the target's place.
    bool finish(std::string& error);

  private:
    std::string path_;
    sf_private_tag* file_ = nullptr;
    ReplacingFile target_;
    int channels_ = 0;
    int bits_ = 0;
    std::vector<int> ints_;
};

// [UI thread] Reads a whole file (what it holds, not what it promises).
bool readAudioFile(const std::string& path, Audio& audio, std::string& error);

// [UI thread] Writes audio in audio.format, whole, through a temporary file.
bool writeAudioFile(const std::string& path, const Audio& audio, std::string& error);

}  // namespace tavolu::host
