// The embedded files: every bitmap the editor asks for is there, in the one
// format the toolkit decodes, at the size its controls are laid out for.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "bmp_reader.h"
#include "resources/resources.h"
#include "skin_table.h"

namespace tavolu::resources::test {
namespace {

TEST(SkinBitmaps, EachIsAnUncompressedBottomUp24BitFileOfItsLayoutSize) {
    for (const Expected& e : kSkin) {
        SCOPED_TRACE(e.id);
        std::optional<Bmp> b = readBmp(bitmapResource(e.id));
        ASSERT_TRUE(b.has_value());
        EXPECT_EQ(b->bitsPerPixel, 24);
        EXPECT_EQ(b->compression, 0u);  // BI_RGB
        EXPECT_GT(b->height, 0);        // rows stored bottom-up
        EXPECT_EQ(b->width, e.width);
        EXPECT_EQ(b->height, e.height);
        EXPECT_EQ(b->height % e.frames, 0);
    }
}

TEST(SkinBitmaps, UnknownIdsAreEmpty) {
    for (int id = -2; id < 400; ++id) {
        bool known =
            std::any_of(kSkin.begin(), kSkin.end(), [id](const Expected& e) { return e.id == id; });
        EXPECT_EQ(bitmapResource(id).empty(), !known) << id;
    }
    EXPECT_TRUE(bitmapResource(INT_MIN).empty());
    EXPECT_TRUE(bitmapResource(INT_MAX).empty());
}

// The curve view leaves its last column and row unpainted, so the background
// must already be the view's black there or a bright seam shows.
TEST(SkinBitmaps, BackgroundIsBlackUnderTheWholeCurveView) {
    Bmp bg = loadSkinBitmap(128);
    for (int y = 55; y < 157; ++y)
        for (int x = 182; x < 284; ++x) ASSERT_EQ(bg.at(x, y), (Pixel{0, 0, 0})) << x << "," << y;
}

}  // namespace
}  // namespace tavolu::resources::test
