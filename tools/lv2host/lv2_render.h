// The LV2 render: the command-line host's render options, applied to the LV2
// bundle instead of the VST 2.4 library, so that the two builds can be heard
// (and compared) side by side.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tavolu::lv2host {

// [UI thread] args excludes the program name; the exit code of the run.
int runLv2Render(const std::vector<std::string>& args, const std::string& bundle, std::ostream& out,
                 std::ostream& err);

}  // namespace tavolu::lv2host
