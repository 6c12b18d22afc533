// Audio files through libsndfile: WAV, AIFF and FLAC in, the same major
// format and sample encoding out.
#pragma once

#include <string>
#include <vector>

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

// [UI thread] Reads a whole file. Refuses formats other than WAV, AIFF and
// FLAC and files with more than two channels.
bool readAudioFile(const std::string& path, Audio& audio, std::string& error);

// [UI thread] Writes audio in audio.format through a temporary file that
// replaces path only when complete. Integer encodings are rounded to the
// nearest step and clipped, so a unity pass keeps every sample exact.
bool writeAudioFile(const std::string& path, const Audio& audio, std::string& error);

}  // namespace tavolu::host
