// What the control images must get right for the toolkit to draw them: the
// colour key only where the background is meant to show through, frames that
// light the position the switch's click bands select, LEDs on the meter's
// steps and grooves under the handle's centre.
#include <gtest/gtest.h>

#include <set>

#include "bmp_reader.h"
#include "skin_table.h"

namespace tavolu::resources::test {
namespace {

// Round handles, and the mode switch strip that two switches share.
const std::set<int> kKeyedImages{140, 149, 166, 167, 168, 169, 170};

bool isKey(Pixel p) {
    return p == kColourKey;
}

TEST(ControlImages, NoPixelIsANearMissOfTheColourKey) {
    // A pixel one step off the key would be drawn as a cyan fringe.
    for (const Expected& e : kSkin) {
        Bmp b = loadSkinBitmap(e.id);
        for (const Pixel& p : b.pixels) {
            bool near = p.r <= 24 && p.g >= 231 && p.b >= 231;
            ASSERT_FALSE(near && !isKey(p)) << "bitmap " << e.id;
        }
    }
}

TEST(ControlImages, OnlyHandlesAndTheSharedModeSwitchUseTheKey) {
    for (const Expected& e : kSkin) {
        if (kKeyedImages.contains(e.id)) continue;
        Bmp b = loadSkinBitmap(e.id);
        EXPECT_EQ(std::count_if(b.pixels.begin(), b.pixels.end(), isKey), 0) << "bitmap " << e.id;
    }
}

TEST(ControlImages, HandlesAreDiscsOverTheKey) {
    for (int id : {149, 166, 167, 168, 169, 170}) {
        SCOPED_TRACE(id);
        Bmp b = loadSkinBitmap(id);
        int n = b.width - 1, mid = b.width / 2;
        for (auto [x, y] : {std::pair{0, 0}, {n, 0}, {0, n}, {n, n}}) {
            EXPECT_TRUE(isKey(b.at(x, y)));
        }
        // The disc reaches every edge and has no holes.
        for (auto [x, y] : {std::pair{mid, 0}, {mid, n}, {0, mid}, {n, mid}}) {
            EXPECT_FALSE(isKey(b.at(x, y)));
        }
        for (int y = 2; y < n - 1; ++y) {
            for (int x = 2; x < n - 1; ++x) {
                if ((x - mid) * (x - mid) + (y - mid) * (y - mid) < (mid - 1) * (mid - 1)) {
                    EXPECT_FALSE(isKey(b.at(x, y))) << x << "," << y;
                }
            }
        }
    }
}

TEST(ControlImages, ModeSwitchKeysOnlyItsRoundedCorners) {
    Bmp b = loadSkinBitmap(140);
    for (int frame = 0; frame < 3; ++frame) {
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < b.width; ++x) {
                bool corner = (x < 2 || x >= b.width - 2) && (y < 2 || y >= 13);
                if (!corner) {
                    EXPECT_FALSE(isKey(b.at(x, frame * 15 + y))) << x << "," << y;
                }
            }
        }
        EXPECT_TRUE(isKey(b.at(0, frame * 15)));
    }
}

struct SwitchStrip {
    int id, positions;
    bool horizontal;
};

TEST(ControlImages, EachSwitchFrameLightsTheBandThatSelectsIt) {
    for (SwitchStrip s :
         {SwitchStrip{139, 3, false}, {140, 3, true}, {141, 6, false}, {142, 5, false}}) {
        Bmp b = loadSkinBitmap(s.id);
        int frameHeight = b.height / s.positions;
        int length = s.horizontal ? b.width : frameHeight;
        for (int frame = 0; frame < s.positions; ++frame) {
            int top = frame * frameHeight;
            auto band = [&](int k) {  // the click band of position k
                int a = k * length / s.positions, z = (k + 1) * length / s.positions;
                return s.horizontal ? brightness(b, a, top, z, top + frameHeight)
                                    : brightness(b, 0, top + a, b.width, top + z);
            };
            for (int k = 0; k < s.positions; ++k) {
                if (k == frame) continue;
                EXPECT_GT(band(frame), band(k) + 60)
                    << "bitmap " << s.id << " frame " << frame << " band " << k;
            }
        }
    }
}

TEST(ControlImages, ButtonsLightUpWhenOnOrPressed) {
    for (int id : {129, 130, 131, 132, 133, 134, 135, 136, 138, 143, 144}) {
        Bmp b = loadSkinBitmap(id);
        int h = b.height / 2;
        EXPECT_GT(brightness(b, 0, h, b.width, b.height), brightness(b, 0, 0, b.width, h) + 60)
            << "bitmap " << id;
    }
}

// The toolkit lights the meter in whole LEDs: the boundary between LED k and
// k + 1 (from the top) lies on row k * 101 / 14.
TEST(ControlImages, MeterLedsSitOnTheMetersSteps) {
    for (auto [lit, unlit] : {std::pair{162, 163}, {164, 165}}) {
        Bmp on = loadSkinBitmap(lit), off = loadSkinBitmap(unlit);
        for (int k = 0; k < 14; ++k) {
            int top = k * 101 / 14, bottom = (k + 1) * 101 / 14;
            SCOPED_TRACE(k);
            // A dark gap on the boundary row, a lit LED below it.
            EXPECT_LT(brightness(on, 1, top, 7, top + 1), 100);
            EXPECT_GT(brightness(on, 1, top + 1, 7, bottom), 250);
            EXPECT_LT(brightness(off, 1, top + 1, 7, bottom), 200);
        }
    }
}

struct Track {
    int id, handleSize;
    bool horizontal;
};

// A handle's centre travels over length - handle size px from handle size / 2
// in; the groove must run exactly there, dark under every centre position.
TEST(ControlImages, GroovesRunUnderTheHandleCentre) {
    std::vector<Track> tracks{{150, 21, true}, {151, 21, true}, {159, 11, false}};
    for (int id = 152; id <= 161; ++id)
        if (id != 159) tracks.push_back({id, 21, false});
    for (const Track& t : tracks) {
        SCOPED_TRACE(t.id);
        Bmp b = loadSkinBitmap(t.id);
        int length = t.horizontal ? b.width : b.height;
        int centre = t.handleSize / 2;
        auto at = [&](int along, int across) {
            Pixel p = t.horizontal ? b.at(along, across) : b.at(across, along);
            return p.r + p.g + p.b;
        };
        for (int along = centre; along <= length - t.handleSize + centre; ++along)
            ASSERT_LT(at(along, centre), 90) << along;
        EXPECT_GT(at(centre - 3, centre), 90);
        EXPECT_GT(at(length - t.handleSize + centre + 3, centre), 90);
        EXPECT_GT(at(length / 2, centre - 3), 90);  // the groove is narrow
    }
}

}  // namespace
}  // namespace tavolu::resources::test
