// Colour arithmetic: components, hexadecimal strings, blends, offsets, schemes, lists and the
// analysis predicates.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/uikit/UIGraphics.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

using CA = ColorAnalysisUtility;
using CU = ColorUtility;

struct RGBA {
    double r, g, b, a;
};

RGBA rgbaOf(const UIColor& c) {
    RGBA v{};
    c.getRed(&v.r, &v.g, &v.b, &v.a);
    return v;
}

int hueDegrees(const UIColor& c) { return static_cast<int>(std::lround(CA::colorHue(c) * 360)) % 360; }

std::vector<int> brightnessPercents(const UIColors& colors) {
    std::vector<int> out;
    for (const auto& c : colors) out.push_back(static_cast<int>(std::lround(CA::colorBrightness(c) * 100)));
    return out;
}

TEST(ColorUtilityTest, HexStringsReadAndWrite) {
    struct Case {
        const char* text;
        unsigned r, g, b;
    } cases[] = {
        {"#FF8000", 255, 128, 0}, {"FF8000", 255, 128, 0}, {"fff", 0, 15, 255},    {"0x00ff00", 0, 255, 0},
        {"zz", 0, 0, 0},          {"", 0, 0, 0},           {"12G456", 0, 0, 0x12}, {"1FFFFFFFFF", 255, 255, 255},
    };
    for (const auto& c : cases) {
        const RGBA v = rgbaOf(CU::colorWithHexString(c.text));
        EXPECT_EQ(std::lround(v.r * 255), c.r) << c.text;
        EXPECT_EQ(std::lround(v.g * 255), c.g) << c.text;
        EXPECT_EQ(std::lround(v.b * 255), c.b) << c.text;
        EXPECT_EQ(v.a, 1) << c.text;
    }
    EXPECT_EQ(CU::hexString(UIColor::colorWithRed(0.999, 0, 1, 1)), "#FE00FF");
    EXPECT_EQ(CU::hexString(UIColor::colorWithWhite(0.5, 1)), "#7F7F7F");
}

TEST(ColorUtilityTest, HSLReadingAndMakingRoundTrip) {
    const UIColor samples[] = {UIColor::redColor(), UIColor::colorWithRed(0.2, 0.6, 0.4, 0.5),
                               UIColor::colorWithRed(0.9, 0.8, 0.1, 1), UIColor::colorWithRed(0.3, 0.1, 0.7, 1),
                               UIColor::colorWithWhite(0.25, 1)};
    for (const auto& c : samples) {
        double h, s, l, a;
        EXPECT_TRUE(CU::getHSLA(c, &h, &s, &l, &a));
        const RGBA back = rgbaOf(CU::colorWithHueSaturationLightness(h, s, l, a)), orig = rgbaOf(c);
        EXPECT_NEAR(back.r, orig.r, 1e-9);
        EXPECT_NEAR(back.g, orig.g, 1e-9);
        EXPECT_NEAR(back.b, orig.b, 1e-9);
        EXPECT_EQ(back.a, orig.a);
    }
    // Absent outputs are skipped.
    double l = 0;
    EXPECT_TRUE(CU::getHSLA(UIColor::colorWithWhite(0.4, 1), nullptr, nullptr, &l, nullptr));
    EXPECT_DOUBLE_EQ(l, 0.4);
}

TEST(ColorUtilityTest, DerivedColours) {
    // Hue offsets clamp, not wrap: 0.9 + 0.2 is the hue of 1.0 (red again), not 0.1.
    const UIColor hue09 = UIColor::colorWithHue(0.9, 1, 1, 1);
    EXPECT_EQ(CU::adjustColor(hue09, 0.2, 0, 0), UIColor::colorWithHue(1.0, 1, 1, 1));
    EXPECT_NE(CU::adjustColor(hue09, 0.2, 0, 0), UIColor::colorWithHue(0.1, 1, 1, 1));
    EXPECT_EQ(CU::adjustColor(hue09, 0, 0, 0), hue09);

    const UIColor halfRed = UIColor::colorWithRed(1, 0, 0, 0.5);
    const RGBA blend = rgbaOf(CU::blendWithColor(halfRed, UIColor::blueColor(), 2));
    EXPECT_EQ(blend.a, 1);
    EXPECT_EQ(blend.r, 0);
    EXPECT_EQ(blend.b, 1);
    EXPECT_NEAR(rgbaOf(CU::blendWithColor(UIColor::blackColor(), UIColor::whiteColor())).g, 0.5, 1e-9);

    EXPECT_EQ(hueDegrees(CU::complimentaryColor(UIColor::redColor())), 180);
    const UIColors split = CU::splitComplementColors(UIColor::redColor());
    ASSERT_EQ(split.size(), 3u);
    EXPECT_EQ(hueDegrees(split[1]), 72);
    EXPECT_EQ(hueDegrees(split[2]), 216);
    EXPECT_EQ(rgbaOf(CU::inverseColor(UIColor::colorWithRed(0.25, 0.5, 1, 0.3))).r, 0.75);
    EXPECT_NEAR(rgbaOf(CU::grayscaleColor(UIColor::greenColor())).r, 0.7152, 1e-9);
}

TEST(ColorUtilityTest, CountedSchemes) {
    const UIColor c = UIColor::colorWithHue(0.5, 0.5, 0.5, 1);
    EXPECT_EQ(brightnessPercents(CU::monochromaticColors(c, 5)), (std::vector<int>{50, 30, 10, 90, 70}));
    const UIColors analogous = CU::analogousColors(UIColor::colorWithHue(0.5, 1, 1, 1), 3);
    ASSERT_EQ(analogous.size(), 3u);
    EXPECT_EQ(hueDegrees(analogous[1]), 174);
    EXPECT_EQ(hueDegrees(analogous[2]), 186);
    // Counts of 0 and 1 answer the copy alone, for every counted scheme.
    using Scheme = UIColors (*)(const UIColor&, int);
    for (Scheme scheme : {+[](const UIColor&c, int n) { return CU::analogousColors(c, n); },
                          +[](const UIColor&c, int n) { return CU::monochromaticColors(c, n); },
                          +[](const UIColor&c, int n) { return CU::shadedColors(c, n); },
                          +[](const UIColor&c, int n) { return CU::equidistantColors(c, n); }})
        for (int n : {0, 1}) EXPECT_EQ(scheme(c, n), UIColors{c});
    EXPECT_EQ(CU::analogousColors(c, 3, 0).size(), 3u);  // no slices: step 0, no division
    EXPECT_EQ(CU::triadColors(UIColor::colorWithRed(0.1, 0.2, 0.3, 1))[1], UIColor::colorWithRed(0.3, 0.1, 0.2, 1));
    EXPECT_EQ(CU::tetradColors(UIColor::colorWithRed(0.1, 0.2, 0.3, 1))[2], UIColor::colorWithRed(0.3, 0.2, 0.1, 1));
    // The golden-ratio step wraps the hue: 0.5 → 0.118034 → 0.736068.
    const UIColors equidistant = CU::equidistantColors(UIColor::colorWithHue(0.5, 1, 1, 1), 3);
    EXPECT_NEAR(CA::colorHue(equidistant[1]), 0.118034, 1e-6);
    EXPECT_NEAR(CA::colorHue(equidistant[2]), 0.736068, 1e-6);
    EXPECT_EQ(brightnessPercents(CU::shadedColors(UIColor::colorWithHue(0.2, 0.9, 0.4, 1), 3)),
              (std::vector<int>{40, 40, 40}));
    EXPECT_NEAR(CA::colorSaturation(CU::shadedColors(UIColor::colorWithHue(0.2, 0.9, 0.4, 1), 3)[2]), 0.3, 1e-9);
}

TEST(ColorUtilityTest, Lists) {
    const UIColors two{UIColor::redColor(), UIColor::colorWithHue(0.3, 1, 0.5, 1)};
    EXPECT_EQ(CU::colorPalette(two, 2), two);
    const UIColors padded = CU::colorPalette(two, 4);
    ASSERT_EQ(padded.size(), 4u);
    EXPECT_EQ(brightnessPercents({padded[2], padded[3]}), (std::vector<int>{30, 10}));
    EXPECT_TRUE(CU::colorPalette({}, 3).empty());

    for (const auto& p : CU::pastelColors(20)) {
        const RGBA v = rgbaOf(p);
        for (double x : {v.r, v.g, v.b}) {
            EXPECT_GE(std::lround(x * 255), 114);
            EXPECT_LE(std::lround(x * 255), 241);
        }
    }
    EXPECT_TRUE(CU::spectrumColors(0).empty());
    EXPECT_EQ(CU::spectrumColors(4).size(), 4u);
    EXPECT_EQ(std::lround(rgbaOf(CU::spectrumColors(4)[0]).r * 255), 128);
    for (const auto& r : CU::randomColors(10, 0.2, 0.3, 0.6, 0.7)) {
        EXPECT_GE(CA::colorSaturation(r), 0.2 - 1e-9);
        EXPECT_LE(CA::colorBrightness(r), 0.7 + 1e-9);
    }

    UIColors sorted{UIColor::colorWithWhite(0.5, 1), UIColor::colorWithWhite(0.2, 1), UIColor::redColor(),
                    UIColor::colorWithWhite(0.8, 1)};
    CU::sortColors(sorted, false, CA::colorBrightness);
    EXPECT_EQ(sorted[0], UIColor::redColor());
    EXPECT_EQ(sorted[3], UIColor::colorWithWhite(0.2, 1));
}

UIImagePtr filled(CGSize size, const UIColor& color) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), color.CGColor());
    CGContextFillRect(UIGraphicsGetCurrentContext(), {{0, 0}, size});
    UIImagePtr image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

TEST(ColorUtilityTest, PaletteFromImage) {
    const UIColors colors = CU::colorPaletteFromImage(filled({64, 32}, UIColor::colorWithRed(0, 0, 1, 1)));
    ASSERT_EQ(colors.size(), 16u * 8);
    EXPECT_EQ(colors.front(), UIColor::blueColor());
    // Reduced to a zero side, or no picture at all: no colours.
    EXPECT_TRUE(CU::colorPaletteFromImage(filled({1000, 10}, UIColor::redColor())).empty());
    EXPECT_TRUE(CU::colorPaletteFromImage(nullptr).empty());
}

TEST(ColorAnalysisUtilityTest, Predicates) {
    EXPECT_NEAR(CA::contrastForColor(UIColor::whiteColor(), UIColor::blackColor()), 21, 1e-9);
    EXPECT_EQ(CA::contrastForColor(std::nullopt, UIColor::blackColor()), 0);
    EXPECT_FALSE(CA::isContrastingColor(UIColor::redColor(), UIColor::redColor()));
    EXPECT_FALSE(CA::isDistinctFromColor(UIColor::colorWithWhite(0.2, 1), UIColor::colorWithWhite(0.8, 1)));
    EXPECT_TRUE(CA::isDistinctFromColor(UIColor::redColor(), UIColor::blueColor()));
    EXPECT_FALSE(CA::isDistinctFromColor(UIColor::redColor(), UIColor::colorWithRed(0.8, 0.1, 0.1, 1)));
    EXPECT_FALSE(CA::isBlackOrWhite(std::nullopt));
    EXPECT_TRUE(CA::isBlackOrWhite(UIColor::colorWithWhite(0.95, 1)));
    EXPECT_TRUE(CA::isDarkColor(UIColor::blueColor()));
    EXPECT_TRUE(CU::isTranslucent(UIColor::colorWithWhite(1, 0.99)));

    const UIColor muted = UIColor::colorWithHue(0.6, 0.9, 0.3, 1);
    EXPECT_EQ(CA::colorWithMaximumSaturation(muted, 0.95), muted);
    const UIColor clamped =
        CA::colorWithMinimumBrightnessAndMaximumBrightnessAndMaximumSaturation(muted, 0.75, 0.85, 0.65);
    EXPECT_NEAR(CA::colorBrightness(clamped), 0.75, 1e-9);
    EXPECT_NEAR(CA::colorSaturation(clamped), 0.65, 1e-9);
    EXPECT_NEAR(CA::colorHue(clamped), 0.6, 1e-9);
}

}  // namespace
