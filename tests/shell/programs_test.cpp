// The program bank as a host sees it: names, selection, renaming.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin_fixture.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

using Programs = LoadedPlugin;

TEST_F(Programs, NamesAfterConstruction) {
    EXPECT_EQ(host.dispatch(effGetProgram), 8);
    EXPECT_EQ(host.programName(), "User9");
    const char* presets[] = {"Ping Pong", "Crossover Pans", "Spread from Center", "Attack Decay",
                             "LFO",       "Delayed LFO",    "Snare to Right",     "Random S&H"};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(host.programNameIndexed(k), presets[k]) << k;
    for (int k = 8; k < 16; ++k) {
        EXPECT_EQ(host.programNameIndexed(k), "User " + std::to_string(k - 8)) << k;
    }
    char buffer[32];
    std::memset(buffer, kUnwritten, sizeof buffer);
    for (int k : {16, -1, 1000}) {
        EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, k, 0, buffer), 0) << k;
        EXPECT_EQ(buffer[0], kUnwritten);
    }
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 4, 99, buffer), 1);  // category ignored
    EXPECT_STREQ(buffer, "LFO");
}

TEST_F(Programs, SelectionAppliesThePresetValues) {
    EXPECT_EQ(host.dispatch(effSetProgram, 0, 7), 0);
    EXPECT_EQ(host.dispatch(effGetProgram), 7);
    EXPECT_EQ(host.programName(), "Random S&H");
    EXPECT_EQ(host.parameterDisplay(6), "Sample&Hold");
    EXPECT_EQ(host.parameterDisplay(7), "Sample&Hold");
    EXPECT_EQ(host.getParameter(11), 1.0f);
    EXPECT_EQ(host.getParameter(13), 0.9f);

    for (VstIntPtr bad : {VstIntPtr{16}, VstIntPtr{-1}, VstIntPtr{1} << 40}) {
        EXPECT_EQ(host.dispatch(effSetProgram, 0, bad), 0);
        EXPECT_EQ(host.dispatch(effGetProgram), 7);
    }
    EXPECT_EQ(host.dispatch(effSetProgram, 16, 2), 0);  // the program is in value, not index
    EXPECT_EQ(host.dispatch(effGetProgram), 2);
}

TEST_F(Programs, SelectionCouplesAgainstThePreviousValues) {
    host.setParameter(5, 0.05f);
    host.clearCalls();
    host.dispatch(effSetProgram, 0, 3);  // "Attack Decay": Attack 0.4, Hold 0.1, Decay 0.2
    EXPECT_EQ(automations(), (Automations{{5, 0.1f}, {4, 0.1f}}));
    EXPECT_EQ(host.getParameter(3), 0.4f);
    EXPECT_EQ(host.getParameter(4), 0.1f);
    EXPECT_EQ(host.getParameter(5), 0.2f);

    host.dispatch(effSetProgram, 0, 9);
    host.setParameter(5, 0.05f);
    host.clearCalls();
    host.dispatch(effSetProgram, 0, 0);  // "Ping Pong": Hold 0.1 before Decay 0.5
    EXPECT_EQ(automations(), (Automations{{5, 0.1f}}));
    EXPECT_EQ(host.getParameter(5), 0.5f);
}

TEST_F(Programs, ProgramsKeepOnlyWhatWasWritten) {
    host.setParameter(4, 0.1f);
    host.setParameter(5, 0.2f);
    host.setParameter(3, 1.0f);  // moves Hold and Decay to 0.25 without storing them
    EXPECT_EQ(host.getParameter(4), 0.25f);
    host.dispatch(effSetProgram, 0, 9);
    host.clearCalls();
    host.dispatch(effSetProgram, 0, 8);
    // Program 8 gives back Attack 1.0 first, then its stored Hold 0.1 and Decay 0.2,
    // which in turn pull the attack in.
    EXPECT_EQ(host.getParameter(4), 0.1f);
    EXPECT_EQ(host.getParameter(5), 0.2f);
    EXPECT_EQ(host.getParameter(3), 0.4f);
    host.dispatch(effSetProgram, 0, 10);
    EXPECT_EQ(host.getParameter(3), 0.0f);  // other user programs are untouched
    EXPECT_EQ(host.getParameter(5), 0.5f);
}

TEST_F(Programs, RenamingAndUserNumbering) {
    std::string name = "Big Swing";
    host.dispatch(effSetProgramName, 0, 0, name.data());
    EXPECT_EQ(host.programName(), "Big Swing");
    EXPECT_EQ(host.programNameIndexed(8), "Big Swing");
    name = "User";
    host.dispatch(effSetProgramName, 0, 0, name.data());
    EXPECT_EQ(host.programName(), "User9");
    EXPECT_EQ(host.programNameIndexed(8), "User 0");
    name = "user";
    host.dispatch(effSetProgramName, 0, 0, name.data());
    EXPECT_EQ(host.programName(), "user");

    host.dispatch(effSetProgram, 0, 15);
    EXPECT_EQ(host.programName(), "User16");
    EXPECT_EQ(host.programNameIndexed(15), "User 7");
    host.dispatch(effSetProgram, 0, 2);
    name = "User";
    host.dispatch(effSetProgramName, 0, 0, name.data());  // a preset renamed "User" is numbered
    EXPECT_EQ(host.programName(), "User3");
    EXPECT_EQ(host.programNameIndexed(2), "User -6");
}

TEST_F(Programs, LongNamesAreCutToTheField) {
    std::string name(100, 'x');
    host.dispatch(effSetProgramName, 0, 0, name.data());
    std::size_t written = 0;
    EXPECT_EQ(host.text(effGetProgramName, 0, &written), std::string(23, 'x'));
    EXPECT_EQ(written, 24u);
    EXPECT_EQ(host.text(effGetProgramNameIndexed, 8, &written), std::string(23, 'x'));
    EXPECT_EQ(written, 24u);
    // The neighbouring record is untouched.
    EXPECT_EQ(host.programNameIndexed(9), "User 1");

    // A name with no terminator within the field is read no further than it.
    char unterminated[23];
    std::memset(unterminated, 'y', sizeof unterminated);
    host.dispatch(effSetProgramName, 0, 0, unterminated);
    EXPECT_EQ(host.programName(), std::string(23, 'y'));

    std::string empty;
    host.dispatch(effSetProgramName, 0, 0, empty.data());
    EXPECT_EQ(host.programName(), "");
}

// Names about as long as the field: the terminator always lands inside its 24
// bytes and nothing is written past them, through either request.
TEST_F(Programs, TheTerminatorStaysInsideTheField) {
    const auto nextProgramValues = [this] {
        host.dispatch(effSetProgram, 0, 9);
        std::vector<float> values;
        for (VstInt32 i = 0; i < 20; ++i) values.push_back(host.getParameter(i));
        host.dispatch(effSetProgram, 0, 8);
        return values;
    };
    host.dispatch(effSetProgram, 0, 9);
    for (VstInt32 i = 0; i < 20; ++i)
        host.setParameter(i, 0.123f);  // values a stray byte would change
    host.dispatch(effSetProgram, 0, 8);
    const std::vector<float> before = nextProgramValues();
    for (std::size_t length = 20; length <= 26; ++length) {
        std::string name(length, static_cast<char>('a' + length % 26));
        host.dispatch(effSetProgramName, 0, 0, name.data());
        const std::string kept = name.substr(0, 23);
        for (VstInt32 opcode : {effGetProgramName, effGetProgramNameIndexed}) {
            char buffer[64];
            std::memset(buffer, 0x55, sizeof buffer);
            host.dispatch(opcode, opcode == effGetProgramName ? 0 : 8, 0, buffer);
            EXPECT_EQ(std::string(buffer, strnlen(buffer, 24)), kept) << length;
            EXPECT_EQ(buffer[kept.size()], '\0') << length;
            for (std::size_t i = 24; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0x55) << length;
        }
    }
    EXPECT_EQ(nextProgramValues(), before);  // the record after it is untouched
}

}  // namespace
}  // namespace tavolu::testing
