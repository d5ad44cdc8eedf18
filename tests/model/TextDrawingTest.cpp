#include <gtest/gtest.h>

#include <cmath>

#include "model/TextDrawing.h"
#include "platform/uikit/UIScreen.h"

namespace {

TEST(TextDrawing, TitlesAreDrawnInTheApplicationFont) {
    const NSStringAttributes attributes = PickerAppearance::titleAttributes();
    EXPECT_EQ(attributes.font, UIFont::fontWithName("STHeitiTC-Medium", 18));
    const CGSize size = NSStringDrawing::sizeWithAttributes("Norm 4 Alt", attributes);

    UIImagePtr picture = TextDrawing::imageWithText("Norm 4 Alt", attributes, 2);
    ASSERT_NE(picture, nullptr);
    const CGImageRef& pixels = picture->CGImage();
    EXPECT_EQ(CGImageGetWidth(pixels), std::size_t(std::ceil(size.width * 2)));
    EXPECT_EQ(CGImageGetHeight(pixels), std::size_t(std::ceil(size.height * 2)));
    EXPECT_EQ(picture->scale(), 2.0);
    EXPECT_NEAR(picture->size().width, size.width, 0.5);

    // Ink in the light colour on a clear ground.
    int inked = 0, clear = 0;
    const CGColor light = PickerAppearance::defaultLightColor();
    for (std::size_t y = 0; y < CGImageGetHeight(pixels); ++y) {
        for (std::size_t x = 0; x < CGImageGetWidth(pixels); ++x) {
            const CGColor pixel = CGImageGetPixel(pixels, x, y);
            if (pixel.a == 0) {
                ++clear;
            } else if (pixel.a > 0.9) {
                ++inked;
                EXPECT_NEAR(pixel.r, light.r, 0.02);
                EXPECT_NEAR(pixel.b, light.b, 0.02);
            }
        }
    }
    EXPECT_GT(inked, 100);
    EXPECT_GT(clear, inked);

    EXPECT_EQ(TextDrawing::imageWithText("", attributes), nullptr);
    EXPECT_EQ(TextDrawing::imageWithText("Norm", attributes)->scale(), UIScreen::mainScreen().scale());
}

TEST(PickerAppearance, Colors) {
    EXPECT_EQ(PickerAppearance::colorWithHexString("#FF8000"), CGColorMake(1, 128 / 255.0, 0, 1));
    EXPECT_EQ(PickerAppearance::colorWithHexString("ff8000"), CGColorMake(1, 128 / 255.0, 0, 1));
    EXPECT_EQ(PickerAppearance::colorWithHexString("zz"), CGColorMake(0, 0, 0, 1));
    const CGColor gray = PickerAppearance::grayscaleColor(CGColorMake(1, 0, 0, 0.5));
    EXPECT_NEAR(gray.r, 0.2126, 1e-9);
    EXPECT_EQ(gray.r, gray.b);
    EXPECT_EQ(gray.a, 0.5);
}

}  // namespace
