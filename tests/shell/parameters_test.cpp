// The twenty parameters as a host sees them: texts byte for byte, the values
// read back, and which linked parameters the host is told of, in order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "plugin_fixture.h"

namespace tavolu::testing {
namespace {

using namespace vst2;

using Parameters = LoadedPlugin;

struct Texts {
    const char* name;
    const char* label;
    const char* display;  // at construction
};

constexpr Texts kInitial[20] = {
    {"Start=End ", "    ", "Off"},          {"End ", "    ", "  0.50  "},
    {"Start ", "    ", "  0.50  "},         {"Attack ", "    ", "  0.00  "},
    {"Hold ", "    ", "  0.00  "},          {"Decay ", "    ", "  0.50  "},
    {"Start Mode ", "    ", "None"},        {"End Mode ", "    ", "None"},
    {"Trig Source ", "    ", "Audio"},      {"Threshold ", "%", "  0.00   "},
    {"Selectivity ", "    ", "  0.30  "},   {"LFO Mod ", "    ", "  0.00  "},
    {"LFO Delay ", "    ", "  0.00  "},     {"LFO Freq ", "Hz", "  2.53"},
    {"LFO Freq Source ", "    ", "Manual"}, {"LFO Sync ", "    ", "None"},
    {"LFO Sync Flip ", "    ", "Off"},      {"Center Vol ", "    ", "  0.35  "},
    {"Dry-Wet ", "%", "  100.00  "},        {"Stereo ", "    ", "Mono"},
};

TEST_F(Parameters, TextsAtConstructionByteForByte) {
    for (int i = 0; i < 20; ++i) {
        std::size_t written = 0;
        EXPECT_EQ(host.text(effGetParamName, i, &written), kInitial[i].name) << i;
        EXPECT_EQ(written, std::strlen(kInitial[i].name) + 1) << i;
        EXPECT_EQ(host.text(effGetParamLabel, i, &written), kInitial[i].label) << i;
        EXPECT_EQ(written, std::strlen(kInitial[i].label) + 1) << i;
        EXPECT_EQ(host.text(effGetParamDisplay, i, &written), kInitial[i].display) << i;
        EXPECT_EQ(written, std::strlen(kInitial[i].display) + 1) << i;
    }
}

TEST_F(Parameters, ValuesAtConstructionAreProgramEight) {
    const float expected[20] = {0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  0.0f, 0.0f,
                                0.3f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.35f, 1.0f, 0.0f};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(host.getParameter(i), expected[i]) << i;
}

TEST_F(Parameters, IndicesOutsideTheTable) {
    for (int i : {-1, 20, 25, 1000}) {
        EXPECT_EQ(host.parameterName(i), "<nothing>") << i;
        EXPECT_EQ(host.parameterDisplay(i), "<nothing>") << i;
        EXPECT_EQ(host.parameterLabel(i), "    ") << i;
        EXPECT_EQ(host.getParameter(i), 0.0f) << i;
    }
    host.setParameter(20, 0.7f);
    host.setParameter(-1, 0.7f);
    EXPECT_TRUE(host.calls().empty());
    EXPECT_EQ(host.getParameter(20), 0.0f);
}

TEST_F(Parameters, AttackPushesDecayThenHold) {
    host.setParameter(4, 0.1f);
    host.setParameter(5, 0.2f);
    host.clearCalls();
    host.setParameter(3, 1.0f);
    EXPECT_EQ(automations(), (Automations{{5, 0.25f}, {4, 0.25f}}));
    EXPECT_EQ(host.getParameter(3), 1.0f);
    EXPECT_EQ(host.getParameter(4), 0.25f);
    EXPECT_EQ(host.getParameter(5), 0.25f);
    EXPECT_EQ(host.parameterDisplay(3), "  1.00  ");
    EXPECT_EQ(host.parameterDisplay(4), "  0.25  ");
}

TEST_F(Parameters, HoldPullsAttackIn) {
    host.setParameter(5, 1.0f);
    host.setParameter(4, 0.5f);
    host.setParameter(3, 0.4f);
    host.clearCalls();
    host.setParameter(4, 0.05f);
    EXPECT_EQ(automations(), (Automations{{3, 0.2f}}));
    EXPECT_EQ(host.getParameter(3), 0.2f);
}

TEST_F(Parameters, HoldPushesDecayOut) {
    host.clearCalls();
    host.setParameter(4, 0.6f);  // Decay is 0.5
    EXPECT_EQ(automations(), (Automations{{5, 0.6f}}));
    EXPECT_EQ(host.getParameter(5), 0.6f);
}

TEST_F(Parameters, DecayPullsAttackThenHold) {
    host.setParameter(5, 1.0f);
    host.setParameter(4, 0.3f);
    host.setParameter(3, 0.8f);
    host.clearCalls();
    host.setParameter(5, 0.1f);
    EXPECT_EQ(automations(), (Automations{{3, 0.4f}, {4, 0.1f}}));
    EXPECT_EQ(host.getParameter(3), 0.4f);
    EXPECT_EQ(host.getParameter(4), 0.1f);
}

TEST_F(Parameters, StartEqualsEndCentresAndTiesTheEnds) {
    host.setParameter(1, 0.9f);
    host.setParameter(2, 0.2f);
    host.clearCalls();
    host.setParameter(0, 0.5f);  // not above 0.5: stays off
    EXPECT_TRUE(automations().empty());
    EXPECT_EQ(host.parameterDisplay(0), "Off");

    host.setParameter(0, 0.51f);
    EXPECT_EQ(automations(), (Automations{{2, 0.5f}, {1, 0.5f}}));
    EXPECT_EQ(host.getParameter(0), 1.0f);
    EXPECT_EQ(host.parameterDisplay(0), "On");
    EXPECT_EQ(host.getParameter(1), 0.5f);
    EXPECT_EQ(host.getParameter(2), 0.5f);

    host.clearCalls();
    host.setParameter(1, 0.7f);
    EXPECT_EQ(automations(), (Automations{{2, 0.7f}}));
    EXPECT_EQ(host.getParameter(2), 0.7f);
    host.clearCalls();
    host.setParameter(2, 0.3f);
    EXPECT_EQ(automations(), (Automations{{1, 0.3f}}));
    EXPECT_EQ(host.getParameter(1), 0.3f);

    host.clearCalls();
    host.setParameter(0, 0.0f);  // off again: the ends stay where they are
    EXPECT_TRUE(automations().empty());
    EXPECT_EQ(host.getParameter(0), 0.0f);
    host.setParameter(1, 0.8f);
    EXPECT_EQ(host.getParameter(2), 0.3f);
    EXPECT_TRUE(automations().empty());
}

TEST_F(Parameters, ChoicesTopChoiceOnlyAtOne) {
    struct Case {
        int index;
        float value;
        const char* display;
    };
    const Case cases[] = {
        {8, 0.2f, "Half Note"},       {8, 0.4f, "Quarter Note"},
        {8, 0.6f, "Eighth Note"},     {8, 0.8f, "Sixteenth Note"},
        {8, 0.99f, "Sixteenth Note"}, {8, 1.0f, "From LFO"},
        {8, 0.19f, "Audio"},          {6, 0.5f, "Flip"},
        {6, 0.99f, "Flip"},           {6, 1.0f, "Sample&Hold"},
        {6, 0.49f, "None"},           {7, 1.0f, "Sample&Hold"},
        {14, 0.25f, "Whole Note"},    {14, 0.5f, "Half Note"},
        {14, 0.75f, "Quarter Note"},  {14, 1.0f, "Eighth Note"},
        {14, 0.0f, "Manual"},         {15, 0.5f, "Trigger"},
        {15, 1.0f, "Host, Bar"},      {15, 0.2f, "None"},
    };
    for (const Case& c : cases) {
        host.setParameter(c.index, c.value);
        EXPECT_EQ(host.parameterDisplay(c.index), c.display) << c.index << " " << c.value;
        EXPECT_EQ(host.getParameter(c.index), c.value);
    }
    EXPECT_TRUE(automations().empty());
}

TEST_F(Parameters, ChoiceOutsideTheListShowsNothing) {
    host.setParameter(6, 1.5f);
    EXPECT_EQ(host.parameterDisplay(6), "<nothing>");
    EXPECT_EQ(host.getParameter(6), 1.5f);
    host.setParameter(8, -0.3f);
    EXPECT_EQ(host.parameterDisplay(8), "<nothing>");
    host.setParameter(14, 1e30f);  // saturates far outside the list
    EXPECT_EQ(host.parameterDisplay(14), "<nothing>");
    host.setParameter(15, -1e30f);
    EXPECT_EQ(host.parameterDisplay(15), "<nothing>");
    host.setParameter(8, std::numeric_limits<float>::max());
    EXPECT_EQ(host.parameterDisplay(8), "<nothing>");
}

TEST_F(Parameters, LfoFreqTakesTheSourceBackToManualSilently) {
    host.setParameter(14, 0.75f);
    EXPECT_EQ(host.parameterDisplay(14), "Quarter Note");
    host.clearCalls();
    host.setParameter(13, 0.0f);
    EXPECT_EQ(host.getParameter(14), 0.0f);
    EXPECT_EQ(host.parameterDisplay(14), "Manual");
    EXPECT_TRUE(host.calls().empty());
    EXPECT_EQ(host.parameterDisplay(13), "  0.07");
    host.setParameter(13, 1.0f);
    EXPECT_EQ(host.parameterDisplay(13), "  8.49");
}

TEST_F(Parameters, NumberDisplays) {
    host.setParameter(9, 0.5f);
    EXPECT_EQ(host.parameterDisplay(9), "  50.00   ");
    host.setParameter(18, 0.255f);
    EXPECT_EQ(host.parameterDisplay(18), "  25.50  ");
    host.setParameter(19, 0.001f);
    EXPECT_EQ(host.parameterDisplay(19), "Stereo");
    host.setParameter(19, -0.0f);
    EXPECT_EQ(host.parameterDisplay(19), "Mono");
    host.setParameter(16, 0.001f);
    EXPECT_EQ(host.parameterDisplay(16), "On");
    host.setParameter(16, 0.0f);
    EXPECT_EQ(host.parameterDisplay(16), "Off");
    host.setParameter(11, 0.126f);
    EXPECT_EQ(host.parameterDisplay(11), "  0.13  ");
    host.setParameter(12, 0.4f);
    EXPECT_EQ(host.parameterDisplay(12), "  0.40  ");
    host.setParameter(10, 1.0f);
    EXPECT_EQ(host.parameterDisplay(10), "  1.00  ");
    host.setParameter(17, -0.5f);  // not clamped
    EXPECT_EQ(host.parameterDisplay(17), "  -0.50  ");
    EXPECT_EQ(host.getParameter(17), -0.5f);
}

TEST_F(Parameters, AbsurdValuesAreCutToTheTextSize) {
    host.setParameter(1, 1e30f);
    std::size_t written = 0;
    const std::string shown = host.text(effGetParamDisplay, 1, &written);
    EXPECT_EQ(written, 17u);
    EXPECT_EQ(shown.size(), 16u);
    EXPECT_EQ(shown.substr(0, 3), "  1");
    host.setParameter(9, 3e38f);
    host.text(effGetParamDisplay, 9, &written);
    EXPECT_EQ(written, 17u);
}

TEST_F(Parameters, NonFiniteValuesAreIgnored) {
    host.setParameter(4, 0.1f);
    host.setParameter(5, 0.2f);
    host.clearCalls();
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (int i = 0; i < 22; ++i) {
        const float before = host.getParameter(i);
        const std::string shown = host.parameterDisplay(i);
        for (float v : bad) host.setParameter(i, v);
        EXPECT_EQ(host.getParameter(i), before) << i;
        EXPECT_EQ(host.parameterDisplay(i), shown) << i;
    }
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Parameters, ConstructionTellsTheHostNothing) {
    TestHost other;
    ASSERT_NE(other.load(), nullptr);
    EXPECT_TRUE(other.callsOf(audioMasterAutomate).empty());
}

}  // namespace
}  // namespace tavolu::testing
