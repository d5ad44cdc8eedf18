// Background and text colours of pictures.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/foundation/NSRunLoop.h"
#include "support/PixelImage.h"
#include "ui/appearance/ColorAnalysis.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

using pixelimage::RGBA8;

UIColor binColour(RGBA8 p) {
    return UIColor::colorWithRed((p[0] >> 3) / 32.0, (p[1] >> 3) / 32.0, (p[2] >> 3) / 32.0, 1);
}

TEST(ColorAnalysisTest, FlatDarkPictureHasItsColourBehindWhiteText) {
    const RGBA8 navy{20, 30, 90, 255};
    ColorAnalysis analysis(pixelimage::flat(40, 200, navy));
    EXPECT_EQ(analysis.backgroundColor(), binColour(navy));
    for (const auto& c : {analysis.primaryColor(), analysis.secondaryColor(), analysis.thirdColor()})
        EXPECT_EQ(c, UIColor::whiteColor());
}

TEST(ColorAnalysisTest, StrongSecondEdgeColourReplacesWhite) {
    // Left edge: 60 % white, 40 % red; the rest of the picture dark blue.
    const RGBA8 white{255, 255, 255, 255}, red{220, 20, 20, 255}, blue{10, 10, 60, 255};
    auto image = pixelimage::make(50, 150, [&](std::size_t x, std::size_t y) {
        return x > 0 ? blue : y < 90 ? white : red;
    });
    EXPECT_EQ(ColorAnalysis(image).backgroundColor(), binColour(red));
    // At 30 % or less the white stays.
    auto weak = pixelimage::make(50, 100, [&](std::size_t x, std::size_t y) {
        return x > 0 ? blue : y < 77 ? white : red;
    });
    EXPECT_EQ(ColorAnalysis(weak).backgroundColor(), binColour(white));
}

TEST(ColorAnalysisTest, TextColoursContrastAndDifferUnderZeroThreshold) {
    // Under 100 rows every occupied bin counts, even single pixels.
    const RGBA8 bg{240, 240, 235, 255};
    const RGBA8 inks[] = {{150, 0, 0, 255}, {0, 0, 150, 255}, {0, 110, 0, 255}};
    auto image = pixelimage::make(30, 30, [&](std::size_t x, std::size_t y) {
        if (y == 10 && x > 0 && x <= 3) return inks[x - 1];
        if (y == 11 && x > 0 && x <= 2) return inks[0];  // the red ink is the most frequent
        return bg;
    });
    ColorAnalysis analysis(image);
    EXPECT_EQ(analysis.backgroundColor(), binColour(bg));
    EXPECT_EQ(analysis.primaryColor(), binColour(inks[0]));
    EXPECT_TRUE(ColorAnalysisUtility::isDistinctFromColor(analysis.primaryColor(), analysis.secondaryColor()));
    EXPECT_NE(analysis.thirdColor(), UIColor::blackColor());

    // Against a custom dark colour only the light background qualifies; the colours still
    // missing follow the (light) background's rule.
    ColorAnalysis dark(image, UIColor::blackColor());
    EXPECT_EQ(dark.analysisColor(), UIColor::blackColor());
    EXPECT_TRUE(ColorAnalysisUtility::isLightColor(dark.primaryColor()));
    EXPECT_EQ(dark.secondaryColor(), UIColor::blackColor());
}

TEST(ColorAnalysisTest, EmptyPictureGivesWhiteBackgroundAndMissingColours) {
    for (const UIImagePtr& image : {UIImagePtr{}, pixelimage::flat(0, 0, {0, 0, 0, 0})}) {
        ColorAnalysis analysis(image);
        EXPECT_EQ(analysis.backgroundColor(), UIColor::whiteColor());
        EXPECT_EQ(analysis.primaryColor(), UIColor::blackColor());
        EXPECT_EQ(analysis.thirdColor(), UIColor::blackColor());
        EXPECT_EQ(analysis.brightColors().size(), 4u);
    }
}

TEST(ColorAnalysisTest, ContrastingAndBrightColours) {
    ColorAnalysis dark(pixelimage::flat(10, 10, {20, 30, 90, 255}));
    // The brightest analysed colour is white (luminance above 0.5).
    EXPECT_EQ(dark.contrastingColorForColor(UIColor::blackColor()), UIColor::whiteColor());
    EXPECT_EQ(dark.contrastingColorForColor(UIColor::whiteColor()), dark.backgroundColor());
    const UIColor bright = dark.brightColor();
    EXPECT_GE(ColorAnalysisUtility::colorBrightness(bright), 0.75 - 1e-9);
    EXPECT_LE(ColorAnalysisUtility::colorSaturation(bright), 0.65 + 1e-9);
    // The most saturated first.
    EXPECT_NEAR(ColorAnalysisUtility::colorHue(dark.brightColors().front()),
                ColorAnalysisUtility::colorHue(dark.backgroundColor()), 1e-9);

    ColorAnalysis light(pixelimage::flat(10, 10, {250, 250, 250, 255}));
    // Background light grey, text colours missing (black).
    EXPECT_EQ(light.contrastingColorForColor(UIColor::blackColor()), light.backgroundColor());
    EXPECT_EQ(light.contrastingColorForColor(UIColor::whiteColor()), UIColor::blackColor());
}

TEST(ColorAnalysisTest, BackgroundAnalysisDeliversOnTheMainQueue) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useManualClock(0);
    std::shared_ptr<ColorAnalysis> result;
    ColorAnalysis::analyzeImage(pixelimage::flat(64, 64, {20, 30, 90, 255}), [&](std::shared_ptr<ColorAnalysis> a) {
        EXPECT_TRUE(NSThread::isMainThread());
        result = std::move(a);
    });
    for (int i = 0; i < 10000 && !result; ++i)
        if (!loop.runOnce()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(result);
    EXPECT_EQ(CGImageGetWidth(result->image()->CGImage()), 512u);
    EXPECT_EQ(result->backgroundColor(), binColour({20, 30, 90, 255}));
}

}  // namespace
