#include "tools/host/options.h"

#include <gtest/gtest.h>

using tavolu::host::Options;
using tavolu::host::parseOptions;

namespace {

Options parsed(const std::vector<std::string>& args) {
    auto r = parseOptions(args);
    EXPECT_EQ(r.error, "") << "for the first argument " << (args.empty() ? "" : args[0]);
    return r.options;
}

std::string errorOf(const std::vector<std::string>& args) {
    return parseOptions(args).error;
}

}  // namespace

TEST(HostOptions, DefaultsRenderTheDemoAtTheUsualTransport) {
    const Options o = parsed({});
    EXPECT_TRUE(o.inputPath.empty());
    EXPECT_TRUE(o.outputPath.empty());
    EXPECT_FALSE(o.list);
    EXPECT_EQ(o.tempo, 120.0);
    EXPECT_EQ(o.timeSigNumerator, 4);
    EXPECT_EQ(o.timeSigDenominator, 4);
    EXPECT_EQ(o.startPpq, 0.0);
    EXPECT_FALSE(o.stopped);
    EXPECT_FALSE(o.noTimeInfo);
    EXPECT_EQ(o.blockSize, 512);
    EXPECT_FALSE(o.program.has_value());
}

TEST(HostOptions, EveryOptionInSeparateAndJoinedForm) {
    const Options o = parsed({"--plugin",
                              "p.so",
                              "--program",
                              "Ping Pong",
                              "-p",
                              "Decay=0.3",
                              "--param=Trig Source=Quarter Note",
                              "--tempo",
                              "97.5",
                              "--time-sig=6/8",
                              "--start-ppq",
                              "-2.5",
                              "--note-on",
                              "0.5,1,2.25",
                              "--block",
                              "64",
                              "--plot",
                              "x.png",
                              "--editor-png=e.png",
                              "-o",
                              "out.aiff",
                              "--list",
                              "--programs",
                              "in.aiff"});
    EXPECT_EQ(o.pluginPath, "p.so");
    EXPECT_EQ(o.program.value(), "Ping Pong");
    ASSERT_EQ(o.parameters.size(), 2u);
    EXPECT_EQ(o.parameters[0].name, "Decay");
    EXPECT_EQ(o.parameters[0].value, "0.3");
    EXPECT_EQ(o.parameters[1].name, "Trig Source");
    EXPECT_EQ(o.parameters[1].value, "Quarter Note");             // only the first '=' splits
    EXPECT_EQ(o.parameters[1].text, "Trig Source=Quarter Note");  // whole, for names with '='
    EXPECT_EQ(o.tempo, 97.5);
    EXPECT_EQ(o.timeSigNumerator, 6);
    EXPECT_EQ(o.timeSigDenominator, 8);
    EXPECT_EQ(o.startPpq, -2.5);
    EXPECT_EQ(o.noteOns, (std::vector<double>{0.5, 1.0, 2.25}));
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(o.plotPath, "x.png");
    EXPECT_EQ(o.editorPngPath, "e.png");
    EXPECT_EQ(o.outputPath, "out.aiff");
    EXPECT_TRUE(o.list);
    EXPECT_TRUE(o.programs);
    EXPECT_EQ(o.inputPath, "in.aiff");
}

TEST(HostOptions, FilesAndTransportFlags) {
    Options o = parsed({"in.wav", "out.wav", "--stopped"});
    EXPECT_EQ(o.inputPath, "in.wav");
    EXPECT_EQ(o.outputPath, "out.wav");
    EXPECT_TRUE(o.stopped);
    o = parsed({"--no-time-info", "--", "-odd name.wav"});
    EXPECT_TRUE(o.noTimeInfo);
    EXPECT_EQ(o.inputPath, "-odd name.wav");
    EXPECT_TRUE(parsed({"-h"}).help);
    EXPECT_FALSE(o.keepGoing);
    EXPECT_TRUE(parsed({"in.wav", "--keep-going"}).keepGoing);
    // The top of the tempo range, and a decimal exponent, are still taken.
    EXPECT_EQ(parsed({"--tempo", "999"}).tempo, 999.0);
    EXPECT_EQ(parsed({"--tempo", "1.2e2"}).tempo, 120.0);
    EXPECT_TRUE(parsed({"--help"}).help);
}

TEST(HostOptions, MalformedValuesAreRefusedWithTheOptionNamed) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--tempo", "fast"}, "--tempo"},
        {{"--tempo", "0"}, "--tempo"},
        {{"--tempo", "-120"}, "--tempo"},
        {{"--tempo", "nan"}, "--tempo"},
        {{"--tempo", "120bpm"}, "--tempo"},
        {{"--time-sig", "4"}, "--time-sig"},
        {{"--time-sig", "4/0"}, "--time-sig"},
        {{"--time-sig", "4/3"}, "--time-sig"},
        {{"--time-sig", "0/4"}, "--time-sig"},
        {{"--time-sig", "x/4"}, "--time-sig"},
        {{"--start-ppq", "inf"}, "--start-ppq"},
        {{"--note-on", "0.5,,1"}, "--note-on"},
        {{"--note-on", "-1"}, "--note-on"},
        {{"--note-on", "1,"}, "--note-on"},
        {{"--block", "0"}, "--block"},
        {{"--block", "1.5"}, "--block"},
        {{"--block", "99999999999"}, "--block"},
        {{"--param", "Decay"}, "--param"},
        {{"--param", "=0.3"}, "--param"},
        {{"--param", "Decay="}, "--param"},
        {{"--program", ""}, "--program"},
        {{"--editor-png", ""}, "--editor-png"},
        // An empty name would silently mean the default file.
        {{"-o", ""}, "-o"},
        {{"--output", ""}, "--output"},
        {{"--plugin", ""}, "--plugin"},
        {{"--plot", ""}, "--plot"},
        // strtod reads these as numbers the user did not mean.
        {{"--tempo", "0x10"}, "--tempo"},
        {{"--tempo", " 120"}, "--tempo"},
        {{"--tempo", "999.001"}, "--tempo"},
        {{"--start-ppq", "0x1p3"}, "--start-ppq"},
        {{"--note-on", "0x1"}, "--note-on"},
    };
    for (const auto& [args, option] : cases) {
        const std::string error = errorOf(args);
        EXPECT_NE(error.find(option), std::string::npos)
            << args[0] << " " << args[1] << ": " << error;
    }
}

TEST(HostOptions, StructuralMistakes) {
    EXPECT_NE(errorOf({"--tempo"}).find("needs a value"), std::string::npos);
    EXPECT_NE(errorOf({"--frobnicate"}).find("unknown option"), std::string::npos);
    EXPECT_NE(errorOf({"--list=yes"}).find("takes no value"), std::string::npos);
    EXPECT_NE(errorOf({"a.wav", "b.wav", "c.wav"}).find("too many"), std::string::npos);
    EXPECT_NE(errorOf({"a.wav", "b.wav", "-o", "c.wav"}).find("twice"), std::string::npos);
    EXPECT_NE(errorOf({"--stopped", "--no-time-info"}).find("exclude"), std::string::npos);
    EXPECT_NE(errorOf({""}).find("input file name is empty"), std::string::npos);
    EXPECT_NE(errorOf({"a.wav", ""}).find("output file name is empty"), std::string::npos);
}
