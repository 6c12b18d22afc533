// Decoding of skin images and the bitmap's reference count.
#include "toolkit/bitmap.h"

#include <gtest/gtest.h>

#include "support.h"
#include "toolkit/bmp_decoder.h"

namespace tavolu {
namespace {

using test::makeBmp;

uint32_t pattern(int32_t x, int32_t y) {
    return uint32_t(x * 0x10000 + y * 0x100 + 0x42);
}

TEST(BmpDecoding, ValidFileGivesPixelsTopRowFirst) {
    // Width 5: 15 bytes per row, padded to 16.
    const auto bytes = makeBmp(5, 3, pattern);
    const DecodedImage image = decodeBmp(bytes);
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 3);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(image.pixels[size_t(y * 5 + x)], pattern(x, y));
    }
}

TEST(BmpDecoding, LastRowWithoutPaddingIsAccepted) {
    auto bytes = makeBmp(5, 2, pattern);
    bytes.pop_back();  // one padding byte gone
    EXPECT_EQ(decodeBmp(bytes).width, 5);
}

TEST(BmpDecoding, MalformedFilesGiveAnEmptyImage) {
    const auto good = makeBmp(4, 4, pattern);
    auto expectEmpty = [](std::vector<uint8_t> bytes, const char* what) {
        const DecodedImage image = decodeBmp(bytes);
        EXPECT_EQ(image.width, 0) << what;
        EXPECT_EQ(image.height, 0) << what;
        EXPECT_TRUE(image.pixels.empty()) << what;
    };
    auto patched = [&](size_t at, uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };

    expectEmpty({}, "no bytes");
    expectEmpty(std::vector<uint8_t>(good.begin(), good.begin() + 40), "header cut short");
    expectEmpty(std::vector<uint8_t>(good.begin(), good.end() - 5), "pixels cut short");
    expectEmpty(patched(0, 'X'), "not BM");
    expectEmpty(patched(28, 32), "32 bits per pixel");
    expectEmpty(patched(28, 8), "8 bits per pixel");
    expectEmpty(patched(30, 1), "run-length compressed");
    expectEmpty(patched(26, 2), "two planes");
    expectEmpty(patched(25, 0xFF), "negative height (top-down rows)");
    expectEmpty(patched(21, 0x7F), "absurd width");
    expectEmpty(patched(10, 10), "pixels inside the header");
    auto far = good;
    far[13] = 0x7F;  // pixel data offset far past the end
    expectEmpty(far, "pixel offset past the end");
}

TEST(BmpDecoding, ZeroSizedImageIsRefused) {
    EXPECT_EQ(decodeBmp(makeBmp(0, 3, pattern)).width, 0);
}

TEST(Bitmap, MissingResourceIsAnEmptyBitmap) {
    auto* bitmap = new CBitmap(999999);
    EXPECT_FALSE(bitmap->isLoaded());
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_EQ(bitmap->getResourceId(), 999999);
    bitmap->forget();
}

TEST(Bitmap, LastForgetDeletes) {
    auto* bitmap = test::solidBitmap(2, 2, 0x123456);
    EXPECT_EQ(bitmap->getReferenceCount(), 1);
    bitmap->remember();
    bitmap->remember();
    EXPECT_EQ(bitmap->getReferenceCount(), 3);
    bitmap->forget();
    bitmap->forget();
    EXPECT_EQ(bitmap->getReferenceCount(), 1);
    EXPECT_EQ(bitmap->pixelAt(1, 1), 0x123456u);
    bitmap->forget();  // deleted here; ASan reports any later use
}

}  // namespace
}  // namespace tavolu
