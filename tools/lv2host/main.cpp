// tavolu-lv2-render: the command-line render through the LV2 bundle.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tools/lv2host/lv2_render.h"

int main(int argc, char** argv) {
    const char* bundle = std::getenv("TAVOLU_LV2_BUNDLE");
    const std::vector<std::string> args(argv + 1, argv + argc);
    return tavolu::lv2host::runLv2Render(args, bundle ? bundle : TAVOLU_DEFAULT_LV2_BUNDLE,
                                         std::cout, std::cerr);
}
