// The song position from time:Position objects, carried forward between them.
#include "lv2/transport.h"

#include <gtest/gtest.h>
#include <lv2/atom/forge.h>

#include <cmath>
#include <vector>

#include "tests/lv2/plugin_rig.h"

namespace tavolu::testing {
namespace {

class TransportTest : public ::testing::Test {
  protected:
    TransportTest() {
        urids.map(*map.feature());
        lv2_atom_forge_init(&forge, map.feature());
    }

    // Sends an object with the fields given (NaN: left out).
    void send(int64_t frame, double bar, double barBeat, double unit, double perBar, double bpm,
              double speed) {
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(buffer.data()),
                                  buffer.size() * sizeof(uint64_t));
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_object(&forge, &object, 0, urids.timePosition);
        const auto put = [&](LV2_URID key, double v, bool asDouble) {
            if (std::isnan(v)) return;
            lv2_atom_forge_key(&forge, key);
            if (asDouble) {
                lv2_atom_forge_double(&forge, v);
            } else {
                lv2_atom_forge_float(&forge, static_cast<float>(v));
            }
        };
        if (!std::isnan(bar)) {
            lv2_atom_forge_key(&forge, urids.timeBar);
            lv2_atom_forge_long(&forge, static_cast<int64_t>(bar));
        }
        put(urids.timeBarBeat, barBeat, false);
        put(urids.timeBeatUnit, unit, false);
        put(urids.timeBeatsPerBar, perBar, false);
        put(urids.timeBeatsPerMinute, bpm, true);
        put(urids.timeSpeed, speed, false);
        lv2_atom_forge_pop(&forge, &object);
        transport.position(urids, *reinterpret_cast<const LV2_Atom_Object*>(buffer.data()), frame,
                           kRate);
    }

    static constexpr double kRate = 48000.0;  // Hz
    static constexpr double kNone = NAN;
    UridMap map;
    lv2::Urids urids{};
    LV2_Atom_Forge forge{};
    std::vector<uint64_t> buffer = std::vector<uint64_t>(64);
    lv2::Transport transport;
};

TEST_F(TransportTest, NothingUntilTempoMeterAndPositionAreAllKnown) {
    HostTime t;
    EXPECT_FALSE(transport.at(0, kRate, t));
    send(0, kNone, kNone, 4, 4, 120, 1);  // no position yet
    EXPECT_FALSE(transport.at(0, kRate, t));
    send(0, 0, 0, kNone, kNone, kNone, kNone);
    EXPECT_TRUE(transport.at(0, kRate, t));
    send(0, 0, 0, 0, 4, 120, 1);  // a beat unit of 0
    EXPECT_FALSE(transport.at(0, kRate, t));
    send(0, 0, 0, 4, 1e30, 120, 1);  // a meter no host has
    EXPECT_FALSE(transport.at(0, kRate, t));
}

TEST_F(TransportTest, CarriesThePositionOnAtTheTempoAndCrossesBarLines) {
    send(1000, 2, 3.5, 4, 4, 120, 1);  // bar 2 (from 0), beat 3.5: 11.5 quarters
    HostTime t;
    ASSERT_TRUE(transport.at(1000, kRate, t));
    EXPECT_EQ(t.ppqPos, 11.5);
    EXPECT_EQ(t.barStartPos, 8.0);
    EXPECT_EQ(t.tempo, 120.0);
    EXPECT_EQ(t.timeSigNumerator, 4);
    ASSERT_TRUE(transport.at(1000 + 12000, kRate, t));  // a quarter second: half a beat on
    EXPECT_EQ(t.ppqPos, 12.0);
    EXPECT_EQ(t.barStartPos, 12.0);
    EXPECT_TRUE(transport.rolling());
    EXPECT_EQ(transport.beatUnit(), 4);
}

TEST_F(TransportTest, EighthNoteBeatsBecomeQuarterNotes) {
    send(0, 1, 5, 8, 6, 180, 1);  // 6/8 at 180 eighths a minute, bar 1, sixth eighth
    HostTime t;
    ASSERT_TRUE(transport.at(0, kRate, t));
    EXPECT_EQ(t.ppqPos, 5.5);  // 11 eighths
    EXPECT_EQ(t.barStartPos, 3.0);
    EXPECT_EQ(t.tempo, 90.0);
    EXPECT_EQ(t.timeSigNumerator, 6);
    EXPECT_EQ(transport.beatUnit(), 8);
}

TEST_F(TransportTest, ATempoChangeAloneKeepsThePlaceAndAStoppedSongStandsStill) {
    send(0, 0, 0, 4, 4, 120, 1);
    send(24000, kNone, kNone, kNone, kNone, 60, kNone);  // one beat in, then half as fast
    HostTime t;
    ASSERT_TRUE(transport.at(72000, kRate, t));
    EXPECT_EQ(t.ppqPos, 2.0);
    send(72000, kNone, kNone, kNone, kNone, kNone, 0);
    EXPECT_FALSE(transport.rolling());
    ASSERT_TRUE(transport.at(500000, kRate, t));
    EXPECT_EQ(t.ppqPos, 2.0);
}

}  // namespace
}  // namespace tavolu::testing
