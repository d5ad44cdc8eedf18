#include <gtest/gtest.h>

#include <cmath>

#include "model/PickerImage.h"

namespace {

TEST(PickerImage, IconsByName) {
    auto icon = PickerImage::imageNamed("modeNormal");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon, PickerImage::imageNamed("modeNormal")) << "read once";
    EXPECT_EQ(icon->name(), "modeNormal");
    EXPECT_EQ(icon->scale(), 2.0);
    EXPECT_EQ(icon->size(), (CGSize{25, 25}));
    EXPECT_EQ(PickerImage::imageNamed("noSuchIcon"), nullptr);
}

TEST(PickerImage, TextIsDrawnInTheApplicationFont) {
    const std::string font = PickerImage::fontDescriptionForFontName(PickerAppearance::kDefaultFontName, 18);
    EXPECT_NE(font.find("Sans"), std::string::npos) << font;

    const TextAttributes attributes = PickerAppearance::titleAttributes();
    const CGSize size = PickerImage::sizeWithAttributes("Norm 4 Alt", attributes);
    EXPECT_GT(size.width, 50);
    EXPECT_LT(size.width, 150);
    EXPECT_GT(size.height, 18);
    EXPECT_LT(size.height, 30);
    EXPECT_GT(PickerImage::sizeWithAttributes("Norm 4 Alt longer", attributes).width, size.width);

    auto picture = PickerImage::imageWithText("Norm 4 Alt", attributes, 2);
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->image(), nullptr);
    EXPECT_EQ(picture->image()->width, std::size_t(std::ceil(size.width * 2)));
    EXPECT_EQ(picture->image()->height, std::size_t(std::ceil(size.height * 2)));
    EXPECT_NEAR(picture->size().width, size.width, 0.5);

    // Ink in the light colour on a clear ground.
    int inked = 0, clear = 0;
    const CGColor light = PickerAppearance::defaultLightColor();
    for (std::size_t y = 0; y < picture->image()->height; ++y) {
        for (std::size_t x = 0; x < picture->image()->width; ++x) {
            const CGColor pixel = CGImageGetPixel(picture->image(), x, y);
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

    EXPECT_EQ(PickerImage::imageWithText("", attributes), nullptr);
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
