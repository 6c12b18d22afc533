// tavolu-host: a command-line VST 2.4 host that lists a plug-in and renders
// audio files through it.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/host/host_app.h"
#include "tools/host/interrupt_cleanup.h"

namespace {

// The plug-in built beside this program, unless the build named it.
std::string defaultPlugin() {
#ifdef TAVOLU_DEFAULT_PLUGIN
    return TAVOLU_DEFAULT_PLUGIN;
#else
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "tavolu.so";
    // build/tools/host/tavolu-host next to build/shell/tavolu.so
    return (self.parent_path() / "../../shell/tavolu.so").lexically_normal().string();
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // Ctrl-C during a long render must not leave its temporary file behind.
    tavolu::host::removeTemporariesOnInterrupt();
    std::vector<std::string> args(argv + 1, argv + argc);
    return tavolu::host::runHost(args, defaultPlugin(), std::cout, std::cerr);
}
