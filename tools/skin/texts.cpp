// The words on the controls. Where a full name is too wide for its band the
// shortest common form stands in: note values as fractions, "S&H" for
// Sample&Hold.
#include <map>

#include "skin.h"

namespace tavolu::skin {

const std::vector<std::string>& switchLabels(int bitmapId) {
    static const std::map<int, std::vector<std::string>> labels{
        {139, {"None", "Trigger", "Host, Bar"}},
        {140, {"None", "Flip", "S&H"}},
        {141, {"Audio", "1/2 Note", "1/4 Note", "1/8 Note", "1/16 Note", "From LFO"}},
        {142, {"Manual", "1/1 Note", "1/2 Note", "1/4 Note", "1/8 Note"}},
    };
    return labels.at(bitmapId);
}

const std::string& toggleLabel(int bitmapId) {
    static const std::map<int, std::string> labels{
        {138, "Start=End"}, {143, "Flip"}, {144, "Stereo"}};
    return labels.at(bitmapId);
}

const std::vector<std::string>& presetLines(int n) {
    static const std::vector<std::string> lines[8] = {
        {"Ping", "Pong"}, {"Crossover", "Pans"}, {"Spread", "from", "Center"}, {"Attack", "Decay"},
        {"LFO"},          {"Delayed", "LFO"},    {"Snare", "to", "Right"},     {"Random", "S&H"},
    };
    return lines[n];
}

}  // namespace tavolu::skin
