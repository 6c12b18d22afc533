// The picture of a render: the input's envelope in grey on top, the left and
// right outputs' envelopes in two colours below, and a trace of where the
// sound sits between them, over a time axis in seconds.
#pragma once

#include <string>
#include <vector>

namespace tavolu::host {

constexpr int kPlotWidth = 1200;  // pixels
constexpr int kPlotHeight = 620;  // pixels

// Peak and RMS of one lane per pixel column.
struct Envelope {
    std::vector<double> peak, rms;
};

// Gathers one envelope from frames handed over in order, a block at a time,
// so a render keeps only the columns, never the audio. Column c covers the
// frames from frames*c/width up to frames*(c+1)/width (at least one), over
// the length the file promised; a file that falls short leaves its last
// columns empty.
class EnvelopeGatherer {
  public:
    // channel -1 takes every channel of the frames.
    EnvelopeGatherer(long frames, int channel);

    // [UI thread] The next n frames of channels interleaved samples.
    void add(const float* interleaved, int channels, long n);
    Envelope envelope() const;

  private:
    long begin(int column) const;
    long end(int column) const;

    long frames_;
    int channel_;
    long position_ = 0;
    int firstOpen_ = 0;  // the first column whose frames are not all seen yet
    std::vector<double> peak_, sum_;
    std::vector<long> count_;
};

// What the plot shows: the input over both channels, each output channel.
struct PlotEnvelopes {
    Envelope input, left, right;
    double seconds = 0.0;  // the time axis
};

// [UI thread] Writes the PNG through a temporary file that replaces path only
// when complete.
bool writePlot(const std::string& path, const std::string& title, const PlotEnvelopes& envelopes,
               std::string& error);

}  // namespace tavolu::host
