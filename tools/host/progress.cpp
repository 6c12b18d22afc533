#include "tools/host/progress.h"

#include <unistd.h>

#include <algorithm>

namespace tavolu::host {
namespace {

constexpr int kBarWidth = 40;  // characters

}  // namespace

Progress::Progress(std::FILE* stream, bool enabled)
    : stream_(stream), active_(enabled && stream && isatty(fileno(stream))) {}

Progress::~Progress() {
    if (active_ && shownPercent_ >= 0) std::fputc('\n', stream_);
}

void Progress::update(double fraction) {
    if (!active_) return;
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    char bar[kBarWidth + 1];
    std::fill(bar, bar + filled, '#');
    std::fill(bar + filled, bar + kBarWidth, '-');
    bar[kBarWidth] = '\0';
    std::fprintf(stream_, "\rrendering [%s] %3d%%", bar, percent);
    std::fflush(stream_);
}

}  // namespace tavolu::host
