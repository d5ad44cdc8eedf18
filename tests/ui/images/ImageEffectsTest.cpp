// Blur, colour and alpha effects, auto-levels, rounded corners, and images from colours, texts
// and the bundle.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/uikit/UIScreen.h"
#include "support/PixelImage.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

using pixelimage::RGBA8;

RGBA8 stripes(std::size_t x, std::size_t y) {
    const std::uint8_t v = x % 4 < 2 ? 40 : 220;
    return {v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(y * 10),
            static_cast<std::uint8_t>(100 + x)};
}

TEST(ImageBlurTest, EdgeCases) {
    auto image = pixelimage::make(20, 12, stripes);
    EXPECT_EQ(ImageUtility::blur(image, 0), image);
    auto single = pixelimage::flat(1, 1, {10, 20, 30, 255});
    EXPECT_EQ(pixelimage::at(ImageUtility::blur(single, 5), 0, 0), (RGBA8{10, 20, 30, 255}));
    auto uniform = pixelimage::flat(9, 7, {90, 140, 200, 255});
    for (unsigned r : {1u, 3u, 50u})
        EXPECT_EQ(pixelimage::at(ImageUtility::blur(uniform, r), 4, 3), (RGBA8{90, 140, 200, 255}));
    // Alpha bytes come out unchanged; the colours are smoothed.
    auto blurred = ImageUtility::blur(image, 2);
    for (std::size_t x = 0; x < 20; ++x) {
        const auto bytes = CGImageGetData(blurred->CGImage());
        EXPECT_EQ((*bytes)[4 * x + 3], 100 + x);
    }
    EXPECT_NE((*CGImageGetData(blurred->CGImage()))[0], 40);
    // Radii beyond the ceiling blur as the ceiling.
    EXPECT_EQ(*CGImageGetData(ImageUtility::blur(image, 254)->CGImage()),
              *CGImageGetData(ImageUtility::blur(image, 100000)->CGImage()));
}

TEST(ImageBlurTest, PaddedRowsBlurLikeTightOnesAndKeepTheirPadding) {
    auto tight = pixelimage::make(13, 9, stripes);
    auto padded = pixelimage::make(13, 9, stripes, UIImageOrientation::Up, 1, 12);
    auto a = ImageUtility::blur(tight, 3), b = ImageUtility::blur(padded, 3);
    ASSERT_EQ(CGImageGetBytesPerRow(b->CGImage()), 13u * 4 + 12);
    const auto& bytes = *CGImageGetData(b->CGImage());
    for (std::size_t y = 0; y < 9; ++y) {
        for (std::size_t x = 0; x < 13; ++x)
            EXPECT_EQ(pixelimage::at(a, x, y), pixelimage::at(b, x, y)) << x << "," << y;
        for (std::size_t k = 0; k < 12; ++k) EXPECT_EQ(bytes[y * (13 * 4 + 12) + 13 * 4 + k], 0xAB);
    }
}

TEST(ImageEffectsTest, AlphaEffects) {
    auto half = pixelimage::flat(4, 4, {200, 100, 50, 128});
    auto opaque = ImageUtility::removeAlpha(half);
    const RGBA8 darker = pixelimage::at(opaque, 1, 1);
    EXPECT_EQ(darker[3], 255);
    EXPECT_NEAR(darker[0], 100, 1);  // the premultiplied colour stays
    EXPECT_EQ(pixelimage::at(ImageUtility::invertAlpha(pixelimage::flat(2, 2, {0, 0, 0, 55})), 0, 0)[3], 200);
    EXPECT_EQ(ImageUtility::imageWithAlpha(half), half);
    auto noAlpha = pixelimage::make(3, 3, stripes, UIImageOrientation::Up, 1, 0, kCGImageAlphaNoneSkipLast);
    auto withAlpha = ImageUtility::imageWithAlpha(noAlpha);
    EXPECT_NE(withAlpha, noAlpha);
    EXPECT_EQ(CGImageGetAlphaInfo(withAlpha->CGImage()), kCGImageAlphaPremultipliedFirst);
    auto faded = ImageUtility::addAlpha(pixelimage::flat(4, 4, {255, 255, 255, 255}), 0.5);
    EXPECT_NEAR(pixelimage::at(faded, 2, 2)[3], 128, 1);
}

TEST(ImageEffectsTest, ColourEffectsKeepTheAlpha) {
    auto image = pixelimage::make(8, 8, [](std::size_t x, std::size_t) {
        return x < 4 ? RGBA8{250, 250, 250, 255} : RGBA8{0, 0, 0, 0};
    });
    EXPECT_EQ(ImageUtility::averageColor(pixelimage::flat(3, 3, {255, 0, 51, 255})),
              UIColor::colorWithRed(1, 0, 0.2, 1));
    const UIColor mean = ImageUtility::averageColor(pixelimage::make(2, 1, [](std::size_t x, std::size_t) {
        return x ? RGBA8{200, 0, 0, 255} : RGBA8{0, 0, 100, 255};
    }));
    EXPECT_EQ(mean, UIColor::colorWithRed(100 / 255.0, 0, 50 / 255.0, 1));

    auto tinted = ImageUtility::tintedImage(image, UIColor::redColor(), kCGBlendModeMultiply, 1);
    EXPECT_EQ(pixelimage::at(tinted, 6, 4)[3], 0);
    const RGBA8 red = pixelimage::at(tinted, 1, 4);
    EXPECT_GT(red[0], 200);
    EXPECT_LT(red[1], 10);
    auto grey = ImageUtility::grayscaleImage(pixelimage::make(4, 2, stripes, UIImageOrientation::Left, 2));
    EXPECT_EQ(grey->imageOrientation(), UIImageOrientation::Left);
    EXPECT_EQ(grey->scale(), 2);
    const RGBA8 g = pixelimage::at(grey, 0, 0);
    EXPECT_EQ(g[0], g[1]);
    EXPECT_EQ(g[1], g[2]);
    EXPECT_NEAR(g[3], stripes(0, 0)[3], 2);
    auto graded = ImageUtility::applyGradient(image, UIColor::blueColor(), kCGBlendModeMultiply);
    EXPECT_EQ(pixelimage::at(graded, 6 * graded->scale(), 4)[3], 0);
    // Blue at the bottom, white at the top.
    const std::size_t h = pixelimage::height(graded);
    EXPECT_LT(pixelimage::at(graded, 0, h - 1)[0], pixelimage::at(graded, 0, 0)[0]);
}

TEST(ImageEffectsTest, AutoAdjustStretchesEachChannel) {
    // Red spans 50-150, green 100-200, blue is constant: the first two stretch to 0-255.
    auto dull = pixelimage::make(101, 1, [](std::size_t x, std::size_t) {
        return RGBA8{static_cast<std::uint8_t>(50 + x), static_cast<std::uint8_t>(100 + x), 77, 255};
    });
    auto adjusted = ImageUtility::autoAdjust(dull);
    ASSERT_TRUE(adjusted);
    const RGBA8 low = pixelimage::at(adjusted, 0, 0), high = pixelimage::at(adjusted, 100, 0),
                mid = pixelimage::at(adjusted, 50, 0);
    EXPECT_LT(low[0], 10);
    EXPECT_GT(high[0], 245);
    EXPECT_LT(low[1], 10);
    EXPECT_GT(high[1], 245);
    EXPECT_NEAR(mid[0], 127, 8);
    EXPECT_EQ(adjusted->scale(), 1);
}

TEST(ImageEffectsTest, RoundCornersLeaveTheCornersClear) {
    auto rounded = ImageUtility::roundCorners(pixelimage::flat(40, 40, {10, 200, 10, 255}), 10, 2);
    ASSERT_TRUE(rounded);
    EXPECT_EQ(pixelimage::at(rounded, 0, 0)[3], 0);  // outside the border
    EXPECT_EQ(pixelimage::at(rounded, 3, 3)[3], 0);  // inside the border, cut by the corner
    EXPECT_EQ(pixelimage::at(rounded, 20, 20)[3], 255);
    EXPECT_EQ(pixelimage::at(rounded, 20, 3)[3], 255);  // the straight edge
    EXPECT_EQ(pixelimage::at(rounded, 20, 1)[3], 0);
}

TEST(ImageMakingTest, ColourTextAndBundleImages) {
    auto filled = ImageUtility::imageWithColor(UIColor::blueColor(), {6, 4});
    EXPECT_EQ(pixelimage::width(filled), 6u);
    EXPECT_EQ(pixelimage::at(filled, 5, 3), (RGBA8{0, 0, 255, 255}));

    NSStringAttributes attributes;
    attributes.foregroundColor = UIColor::whiteColor();
    auto text = ImageUtility::imageWithText("Sky", attributes);
    ASSERT_TRUE(text);
    const CGSize size = NSStringDrawing::sizeWithAttributes("Sky", attributes);
    EXPECT_NEAR(text->size().width, size.width, 1);
    std::size_t inked = 0;
    for (std::size_t y = 0; y < pixelimage::height(text); ++y)
        for (std::size_t x = 0; x < pixelimage::width(text); ++x) inked += pixelimage::at(text, x, y)[3] > 128;
    EXPECT_GT(inked, 10u);
    auto boxed = ImageUtility::imageWithText("Sky", {{0, 0}, {80, 100}}, attributes);
    EXPECT_EQ(boxed->size().height, 100);

    EXPECT_TRUE(ImageUtility::imageFromBundleNamed("icons/adjustReset"));
    EXPECT_TRUE(ImageUtility::imageNamed("icons/adjustReset.png", true));
    EXPECT_EQ(ImageUtility::imageNamed("icons/noSuchPicture", false), nullptr);
    EXPECT_EQ(ImageUtility::imageNamed("icons/adjustReset", false, "png", false), nullptr);  // no file without "@2x"
    // A screen of scale 3 still looks for "@2x".
    UIDeviceProfile profile = UIDeviceProfile::phone();
    profile.scale = 3;
    UIDeviceProfile::setCurrent(profile);
    EXPECT_TRUE(ImageUtility::imageFromBundleNamed("icons/adjustReset"));
    UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
}

}  // namespace
