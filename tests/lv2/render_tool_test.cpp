// tavolu-lv2-render as a user runs it: the same command line as tavolu-host
// gives the same file, and every mistake gets one line and a non-zero exit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/host/host_app.h"
#include "tools/lv2host/lv2_render.h"

namespace tavolu::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code;
    std::string out, err;
};

Outcome lv2(const std::vector<std::string>& args, const std::string& bundle = TAVOLU_LV2_BUNDLE) {
    std::ostringstream out, err;
    const int code = lv2host::runLv2Render(args, bundle, out, err);
    return {code, out.str(), err.str()};
}

Outcome vst(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = host::runHost(args, TAVOLU_PLUGIN, out, err);
    return {code, out.str(), err.str()};
}

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Lv2RenderTool : public ::testing::Test {
  protected:
    Lv2RenderTool()
        : dir(fs::temp_directory_path() / ("tavolu-lv2-render-" + std::to_string(::getpid()))) {
        fs::create_directories(dir);
    }
    ~Lv2RenderTool() override { fs::remove_all(dir); }
    std::string file(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(Lv2RenderTool, TheSameCommandLineWritesTheSameFileAsTheVstHost) {
    const std::vector<std::string> options = {"--program", "Snare to Right",
                                              "-p",        "Trig Source=Eighth Note",
                                              "--tempo",   "97",
                                              "--note-on", "0.5,1.25",
                                              "--block",   "300"};
    std::vector<std::string> a = options, b = options;
    a.insert(a.end(), {"-o", file("vst.wav")});
    b.insert(b.end(), {"-o", file("lv2.wav")});
    const Outcome v = vst(a);
    const Outcome l = lv2(b);
    ASSERT_EQ(v.code, 0) << v.err;
    ASSERT_EQ(l.code, 0) << l.err;
    EXPECT_EQ(contents(file("vst.wav")), contents(file("lv2.wav")));
}

TEST_F(Lv2RenderTool, MistakesGetOneLineAndANonZeroExit) {
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* says;
    };
    const std::string out = file("o.wav");
    const Case cases[] = {
        {{"-o", out, "--program", "Nope"}, 1, "no preset \"Nope\""},
        {{"-o", out, "-p", "Trig Source=Sometimes"}, 1, "is not a value of Trig Source"},
        {{"-o", out, "-p", "Wobble=0.5"}, 1, "no parameter \"Wobble\""},
        {{"-o", out, "--plot", file("p.png")}, 2, "only the VST host"},
        {{"-o", out, "--list"}, 2, "only the VST host"},
        {{file("missing.wav"), "-o", out}, 1, "missing.wav"},
        {{"-o", out, "--block", "0"}, 2, "--block"},
    };
    for (const Case& c : cases) {
        const Outcome r = lv2(c.args);
        EXPECT_EQ(r.code, c.code) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    const Outcome nowhere = lv2({"-o", out}, file("no-bundle"));
    EXPECT_EQ(nowhere.code, 1);
    EXPECT_NE(nowhere.err.find("no LV2 bundle at"), std::string::npos) << nowhere.err;
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace tavolu::testing
