// Images: the layouts they may hold, reading them, cropping them and drawing them upright.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/coregraphics/CGContext.h"

namespace {

void expectColor(CGColor actual, CGColor expected, const std::string& what, double tolerance = 0.01) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << what;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << what;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << what;
}

std::vector<std::uint8_t> floatBytes(std::initializer_list<float> values) {
    std::vector<std::uint8_t> bytes(values.size() * 4);
    std::memcpy(bytes.data(), std::data(values), bytes.size());
    return bytes;
}

TEST(Image, ReadsEveryLayoutAndDrawsItTheSame) {
    auto rgb = CGColorSpaceCreateDeviceRGB();
    auto gray = CGColorSpaceCreateDeviceGray();
    // One pixel of (1, 0.2, 0.6) at alpha 0.6 (grey: 0.4 at alpha 0.6), padded rows of 2 pixels.
    struct Case {
        const char* name;
        std::size_t bpc, bpp;
        CGColorSpaceRef space;
        CGBitmapInfo info;
        std::vector<std::uint8_t> pixel;
        CGColor expected;
    } cases[] = {
        {"RGBA straight", 8, 32, rgb, kCGImageAlphaLast, {255, 51, 153, 153}, {1, 0.2, 0.6, 0.6}},
        {"BGRA premultiplied",
         8,
         32,
         rgb,
         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little,
         {92, 31, 153, 153},
         {1, 0.2, 0.6, 0.6}},
        {"RGBA premultiplied, as GL reads it",
         8,
         32,
         rgb,
         kCGImageAlphaPremultipliedLast,
         {153, 31, 92, 153},
         {1, 0.2, 0.6, 0.6}},
        {"RGBA premultiplied, a colour above its alpha is full",
         8,
         32,
         rgb,
         kCGImageAlphaPremultipliedLast,
         {200, 31, 92, 153},
         {1, 0.2, 0.6, 0.6}},
        {"RGB 24-bit", 8, 24, rgb, kCGImageAlphaNone, {255, 51, 153}, {1, 0.2, 0.6, 1}},
        {"RGBX", 8, 32, rgb, kCGImageAlphaNoneSkipLast, {255, 51, 153, 7}, {1, 0.2, 0.6, 1}},
        {"RGBA 16-bit big", 16, 64, rgb, kCGImageAlphaLast, {255, 255, 51, 51, 153, 153, 153, 153}, {1, 0.2, 0.6, 0.6}},
        {"RGBA 16-bit little",
         16,
         64,
         rgb,
         kCGImageAlphaLast | kCGBitmapByteOrder16Little,
         {255, 255, 51, 51, 153, 153, 153, 153},
         {1, 0.2, 0.6, 0.6}},
        {"RGBA float",
         32,
         128,
         rgb,
         kCGImageAlphaLast | kCGBitmapFloatComponents,
         floatBytes({1, 0.2f, 0.6f, 0.6f}),
         {1, 0.2, 0.6, 0.6}},
        {"grey", 8, 8, gray, kCGImageAlphaNone, {102}, {0.4, 0.4, 0.4, 1}},
        {"grey and alpha", 8, 16, gray, kCGImageAlphaLast, {102, 153}, {0.4, 0.4, 0.4, 0.6}},
    };
    for (const Case& c : cases) {
        const std::size_t bytesPerPixel = c.bpp / 8, bytesPerRow = 2 * bytesPerPixel + 3;
        std::vector<std::uint8_t> data(bytesPerRow * 2, 0);
        std::copy(c.pixel.begin(), c.pixel.end(),
                  data.begin() + static_cast<std::ptrdiff_t>(bytesPerRow + bytesPerPixel));
        auto image = CGImageCreate(2, 2, c.bpc, c.bpp, bytesPerRow, c.space, c.info, data);
        ASSERT_NE(image, nullptr) << c.name;
        expectColor(CGImageGetPixel(image, 1, 1), c.expected, c.name);

        auto ctx = CGBitmapContextCreate(nullptr, 2, 2, 8, 0, rgb, kCGImageAlphaLast);
        CGContextDrawImage(ctx, CGRectMake(0, 0, 2, 2), image);
        expectColor(CGImageGetPixel(CGBitmapContextCreateImage(ctx), 1, 1), c.expected, c.name, 0.02);
    }
}

TEST(Image, RefusesInconsistentLayouts) {
    auto rgb = CGColorSpaceCreateDeviceRGB();
    std::vector<std::uint8_t> data(64);
    EXPECT_EQ(CGImageCreate(2, 2, 8, 32, 7, rgb, kCGImageAlphaLast, data), nullptr);  // rows too short
    EXPECT_EQ(CGImageCreate(4, 4, 8, 32, 16, rgb, kCGImageAlphaLast, std::vector<std::uint8_t>(63)), nullptr);
    EXPECT_EQ(CGImageCreate(2, 2, 8, 24, 8, rgb, kCGImageAlphaLast, data), nullptr);  // alpha needs 32 bits
    EXPECT_EQ(CGImageCreate(2, 2, 8, 32, 8, rgb, kCGImageAlphaLast | kCGBitmapFloatComponents, data), nullptr);
    EXPECT_EQ(CGImageCreate(2, 2, 8, 32, 8, rgb, kCGImageAlphaOnly, data), nullptr);
    EXPECT_EQ(CGImageCreate(0, 2, 8, 32, 8, rgb, kCGImageAlphaLast, data), nullptr);
    // The last row need not be padded.
    EXPECT_NE(CGImageCreate(3, 2, 8, 32, 16, rgb, kCGImageAlphaLast, std::vector<std::uint8_t>(28)), nullptr);
}

TEST(Image, DrawnUprightIntoBitmapsAndUpsideDownIntoFlippedSpace) {
    // Row 0: red, green; row 1: blue, white.
    std::vector<std::uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    auto image = CGImageCreate(2, 2, 8, 32, 8, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaLast, rgba);
    const CGColor red{1, 0, 0, 1}, green{0, 1, 0, 1}, blue{0, 0, 1, 1}, white{1, 1, 1, 1};

    auto upright =
        CGBitmapContextCreate(nullptr, 4, 4, 8, 0, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    CGContextSetInterpolationQuality(upright, kCGInterpolationNone);
    CGContextDrawImage(upright, CGRectMake(0, 0, 4, 4), image);  // scaled up twice
    auto out = CGBitmapContextCreateImage(upright);
    expectColor(CGImageGetPixel(out, 0, 0), red, "top left");
    expectColor(CGImageGetPixel(out, 3, 1), green, "top right");
    expectColor(CGImageGetPixel(out, 1, 3), blue, "bottom left");
    expectColor(CGImageGetPixel(out, 2, 2), white, "bottom right");

    auto flipped =
        CGBitmapContextCreate(nullptr, 2, 2, 8, 0, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    CGContextTranslateCTM(flipped, 0, 2);
    CGContextScaleCTM(flipped, 1, -1);
    CGContextDrawImage(flipped, CGRectMake(0, 0, 2, 2), image);
    out = CGBitmapContextCreateImage(flipped);
    expectColor(CGImageGetPixel(out, 0, 0), blue, "flipped space turns it over");
    expectColor(CGImageGetPixel(out, 1, 1), green, "flipped space turns it over");
}

TEST(Image, CropKeepsTheLayoutAndClipsToTheImage) {
    std::vector<std::uint8_t> gray = {0, 10, 20, 30, 40, 50, 60, 70, 80};
    auto image = CGImageCreate(3, 3, 8, 8, 3, CGColorSpaceCreateDeviceGray(), kCGImageAlphaNone, gray);
    auto crop = CGImageCreateWithImageInRect(image, CGRectMake(1.5, 1, 5, 5));
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(CGImageGetWidth(crop), 2u);
    EXPECT_EQ(CGImageGetHeight(crop), 2u);
    EXPECT_EQ(CGImageGetColorSpaceModel(crop), CGColorSpaceModel::Monochrome);
    EXPECT_NEAR(CGImageGetPixel(crop, 0, 0).r, 40 / 255.0, 1e-9);
    EXPECT_NEAR(CGImageGetPixel(crop, 1, 1).r, 80 / 255.0, 1e-9);
    EXPECT_EQ(CGImageCreateWithImageInRect(image, CGRectMake(5, 5, 2, 2)), nullptr);
}

}  // namespace
