// A one-line progress bar on a terminal, for renders long enough to wait on.
#pragma once

#include <cstdio>

namespace tavolu::host {

constexpr double kProgressMinSeconds = 5.0;  // shorter renders show no bar

class Progress {
  public:
    // Shows a bar only if enabled and stream is a terminal.
    Progress(std::FILE* stream, bool enabled);
    ~Progress();  // ends the line if a bar is showing

    // [UI thread] fraction from 0 to 1; redraws only when the percentage changes.
    void update(double fraction);

  private:
    std::FILE* stream_;
    bool active_;
    int shownPercent_ = -1;
};

}  // namespace tavolu::host
