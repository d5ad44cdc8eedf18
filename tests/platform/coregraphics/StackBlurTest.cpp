// The stack blur on raw four-byte pixels: padded rows, untouched alpha, the tent weights,
// the radius ceiling.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/coregraphics/CGStackBlur.h"

namespace {

struct Bitmap {
    std::size_t width, height, bytesPerRow;
    std::vector<std::uint8_t> bytes;
    Bitmap(std::size_t w, std::size_t h, std::size_t padding, std::uint8_t fill = 0)
        : width(w), height(h), bytesPerRow(w * 4 + padding), bytes(bytesPerRow * h, fill) {}
    std::uint8_t* at(std::size_t x, std::size_t y) { return &bytes[y * bytesPerRow + x * 4]; }
    void blur(int radius, bool fourth = false) {
        CGStackBlur(bytes.data(), width, height, bytesPerRow, radius, fourth);
    }
};

// A picture that differs in every row and column, with an alpha pattern of its own.
void paint(Bitmap& b) {
    for (std::size_t y = 0; y < b.height; ++y)
        for (std::size_t x = 0; x < b.width; ++x) {
            std::uint8_t* p = b.at(x, y);
            p[0] = static_cast<std::uint8_t>(x * 37 + y * 11);
            p[1] = static_cast<std::uint8_t>((x * y * 13) & 0xFF);
            p[2] = static_cast<std::uint8_t>(255 - y * 29);
            p[3] = static_cast<std::uint8_t>(100 + x + y);
        }
}

TEST(StackBlur, PaddedRowsBlurLikeTightOnesAndKeepTheirPadding) {
    Bitmap tight(7, 5, 0), padded(7, 5, 12, 0xAB);
    paint(tight);
    paint(padded);
    tight.blur(2);
    padded.blur(2);
    for (std::size_t y = 0; y < 5; ++y) {
        for (std::size_t x = 0; x < 7; ++x)
            for (int c = 0; c < 4; ++c) ASSERT_EQ(padded.at(x, y)[c], tight.at(x, y)[c]) << x << "," << y << " c" << c;
        for (std::size_t i = 28; i < padded.bytesPerRow; ++i)
            ASSERT_EQ(padded.bytes[y * padded.bytesPerRow + i], 0xAB) << "padding of row " << y;
    }
    // Alpha is left alone; the colour bytes did change.
    Bitmap original(7, 5, 0);
    paint(original);
    EXPECT_EQ(tight.at(3, 2)[3], original.at(3, 2)[3]);
    EXPECT_NE(tight.at(3, 2)[1], original.at(3, 2)[1]);
}

TEST(StackBlur, SpreadsAPointByTentWeights) {
    // One white pixel in the middle of black, radius 2: each pass weighs it 3 of 9, the
    // neighbours 2 of 9 and 1 of 9, nothing beyond the radius.
    Bitmap b(9, 9, 4);
    for (int c = 0; c < 3; ++c) b.at(4, 4)[c] = 255;
    b.at(4, 4)[3] = 255;
    b.blur(2, true);
    const int weight[] = {0, 0, 1, 2, 3, 2, 1, 0, 0};
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const int across = 255 * weight[x] / 9;  // the horizontal pass, truncated
            for (int c = 0; c < 4; ++c) ASSERT_EQ(b.at(x, y)[c], across * weight[y] / 9) << x << "," << y;
        }
}

TEST(StackBlur, LeavesFlatPicturesFlatAndIgnoresNothingToDo) {
    struct Case {
        int radius;
        std::size_t w, h;
    } cases[] = {{1, 1, 1}, {3, 2, 9}, {254, 6, 3}, {100000, 4, 4}, {-5, 3, 3}, {0, 3, 3}};
    for (const Case& c : cases) {
        Bitmap b(c.w, c.h, 8, 0);
        for (std::size_t y = 0; y < c.h; ++y)
            for (std::size_t x = 0; x < c.w; ++x) {
                std::uint8_t* p = b.at(x, y);
                p[0] = 200, p[1] = 17, p[2] = 255, p[3] = 90;
            }
        const auto before = b.bytes;
        b.blur(c.radius, true);
        EXPECT_EQ(b.bytes, before) << "radius " << c.radius << " " << c.w << "x" << c.h;
    }
    CGStackBlur(nullptr, 3, 3, 12, 2);  // nothing to blur, nothing touched
}

TEST(StackBlur, APlaneBlursLikeOneChannelOfPixels) {
    Bitmap pixels(9, 6, 0);
    paint(pixels);
    // The green bytes as a plane with padded rows.
    const std::size_t planeRow = 9 + 3;
    std::vector<std::uint8_t> plane(planeRow * 6, 0xCD);
    for (std::size_t y = 0; y < 6; ++y)
        for (std::size_t x = 0; x < 9; ++x) plane[y * planeRow + x] = pixels.at(x, y)[1];
    pixels.blur(3);
    CGStackBlurPlane(plane.data(), 9, 6, planeRow, 3);
    for (std::size_t y = 0; y < 6; ++y) {
        for (std::size_t x = 0; x < 9; ++x) ASSERT_EQ(plane[y * planeRow + x], pixels.at(x, y)[1]) << x << "," << y;
        for (std::size_t x = 9; x < planeRow; ++x) ASSERT_EQ(plane[y * planeRow + x], 0xCD) << "padding";
    }
}

TEST(StackBlur, RadiiAboveTheCeilingBlurAsTheCeiling) {
    Bitmap a(6, 4, 0), b(6, 4, 0);
    paint(a);
    paint(b);
    a.blur(kCGStackBlurMaxRadius);
    b.blur(5000);
    EXPECT_EQ(a.bytes, b.bytes);
}

}  // namespace
