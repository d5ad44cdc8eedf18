// A picture handed to the library becomes straight R, G, B, A bytes whatever its layout: the
// layouts copied or swapped whole and the one read colour by colour give the same bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/photos/PhotoBitmaps.h"

namespace {

TEST(PhotoBitmaps, EveryLayoutBecomesTheSameStraightRGBA) {
    // Two pixels a row, rows padded to 12 bytes: (200, 100, 50) at alpha 153 then opaque
    // (10, 20, 30); premultiplied, the first is (120, 60, 30, 153).
    struct Case {
        const char* name;
        CGBitmapInfo info;
        std::array<std::uint8_t, 8> pixels;
        std::array<std::uint8_t, 8> expected;
    } cases[] = {
        {"R G B A", kCGImageAlphaLast, {200, 100, 50, 153, 10, 20, 30, 255}, {200, 100, 50, 153, 10, 20, 30, 255}},
        {"R G B x", kCGImageAlphaNoneSkipLast, {200, 100, 50, 7, 10, 20, 30, 9}, {200, 100, 50, 255, 10, 20, 30, 255}},
        {"B G R A",
         kCGImageAlphaFirst | kCGBitmapByteOrder32Little,
         {50, 100, 200, 153, 30, 20, 10, 255},
         {200, 100, 50, 153, 10, 20, 30, 255}},
        {"B G R x",
         kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little,
         {50, 100, 200, 7, 30, 20, 10, 9},
         {200, 100, 50, 255, 10, 20, 30, 255}},
        {"B G R A premultiplied",
         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little,
         {30, 60, 120, 153, 30, 20, 10, 255},
         {200, 100, 50, 153, 10, 20, 30, 255}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> data(24, 0);
        for (int row = 0; row < 2; ++row) std::copy(c.pixels.begin(), c.pixels.end(), data.begin() + row * 12);
        const CGImageRef image = CGImageCreate(2, 2, 8, 32, 12, CGColorSpaceCreateDeviceRGB(), c.info, data);
        ASSERT_NE(image, nullptr) << c.name;
        const platform::ImageBitmap bitmap = photos::BitmapFromImage(image);
        ASSERT_EQ(bitmap.pixels.size(), 16u) << c.name;
        for (std::uint32_t y = 0; y < 2; ++y)
            for (std::uint32_t x = 0; x < 2; ++x)
                for (int i = 0; i < 4; ++i)
                    EXPECT_NEAR(bitmap.pixel(x, y)[i], c.expected[x * 4 + i], 1)
                        << c.name << " pixel " << x << "," << y << " byte " << i;
    }
}

}  // namespace
