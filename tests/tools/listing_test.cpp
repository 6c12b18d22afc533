// What --list and --programs show of the fake plug-in.
#include "tools/host/listing.h"

#include "tests/tools/host_test_support.h"

using namespace hosttest;

namespace {

class Listing : public FakePluginFixture {};

}  // namespace

TEST_F(Listing, IdentityComesFromThePluginItself) {
    const RunResult r = runHost({"--list"});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* line :
         {"Plug-in:     " FAKE_PLUGIN "\n", "Effect:      Fake Gain\n", "Vendor:      Test Bench\n",
          "Product:     FakeGain1\n", "Unique ID:   0x46616B65 'Fake'\n", "Version:     3\n",
          "Inputs:      2\n", "Outputs:     2\n", "Flags:       0x11 (HasEditor, CanReplacing)\n",
          "Programs:    3\n", "Parameters:  2\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "in\n" << r.out;
}

TEST_F(Listing, ParameterTableForTheChosenProgram) {
    RunResult r = runHost({"--list"});
    EXPECT_NE(r.out.find("Program 0: Unity\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    0  Gain               1.0000    1.00             x\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("    1  Mode               0.0000    Pass"), std::string::npos) << r.out;

    r = runHost({"--list", "--program", "half gain"});  // names match in any case
    EXPECT_NE(r.out.find("Program 1: Half Gain\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Gain               0.5000    0.50"), std::string::npos) << r.out;

    r = runHost({"--list", "--program", "2", "-p", "Mode=Silence"});
    EXPECT_NE(r.out.find("Program 2: Swapped\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Mode               1.0000    Silence"), std::string::npos) << r.out;
}

TEST_F(Listing, ProgramsMarkTheCurrentOne) {
    const RunResult r = runHost({"--programs", "--program", "Swapped"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "    0  Unity\n    1  Half Gain\n*   2  Swapped\n");
}

TEST(ListingText, UniqueIdCharactersShowUnprintableBytesAsDots) {
    EXPECT_EQ(tavolu::host::idCharacters(0x77337A38), "w3z8");
    EXPECT_EQ(tavolu::host::idCharacters(0x00410A7F), ".A..");
    EXPECT_EQ(tavolu::host::idCharacters(-1), "....");
}
