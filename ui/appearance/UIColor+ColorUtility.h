#pragma once
// Colour arithmetic over the UIKit stand-in's colours: components in RGB, HSB and HSL,
// hexadecimal strings, blending, offsets, colour schemes, random, pastel and spectrum colours,
// a palette from a picture, sorting (`ColorUtility`), and luminance, darkness, distinctness,
// contrast and clamps (`ColorAnalysisUtility`, in UIColor+ColorAnalysis.cpp).
//
// All components are 0-1, hue too (a full turn). Colours are values: "the receiver itself"
// means an equal colour. The stand-in's colours are all RGB (a grey is red = green = blue),
// so every colour reads as RGB and nothing falls back to black.
//
// Scheme arithmetic works in whole degrees: hue × 360 truncated toward zero, and back / 360.
// The counted schemes start with the receiver; a count of 0 or 1 answers it alone.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"

using UIColors = std::vector<UIColor>;

struct ColorUtility {
    // ---- Components (null outputs are skipped) -----------------------------------------
    static bool getRGBA(const UIColor& c, CGFloat* r, CGFloat* g, CGFloat* b, CGFloat* a);
    static bool getHSBA(const UIColor& c, CGFloat* h, CGFloat* s, CGFloat* b, CGFloat* a);
    static bool getHSLA(const UIColor& c, CGFloat* h, CGFloat* s, CGFloat* l, CGFloat* a);
    static bool isTranslucent(const UIColor& c);
    static bool isEqualToColor(const UIColor& c, const UIColor& other);
    // "#RRGGBB", each component × 255 truncated.
    static std::string hexString(const UIColor& c);

    // ---- Makers ------------------------------------------------------------------------
    // Six hexadecimal digits, red first, with or without "#"; read as one unsigned 32-bit
    // number (an optional "0x", up to the first non-digit, all bits set on overflow); an
    // unreadable string is black. Opaque.
    static UIColor colorWithHexString(const std::string& text);
    static UIColor colorWithRedByte(unsigned red, unsigned green, unsigned blue, CGFloat alpha);
    static UIColor colorWithColor(const UIColor& c);
    static UIColor colorWithColor(const UIColor& c, CGFloat alpha);
    static UIColor colorWithHueSaturationLightness(CGFloat h, CGFloat s, CGFloat l, CGFloat alpha);
    // 0.2126 r + 0.7152 g + 0.0722 b of the stored components.
    static CGFloat colorLuminanceFromRGB(CGFloat r, CGFloat g, CGFloat b);

    // ---- Derived colours ---------------------------------------------------------------
    static UIColor grayscaleColor(const UIColor& c);
    static UIColor inverseColor(const UIColor& c);
    static UIColor complimentaryColor(const UIColor& c);
    static UIColor equidistantColor(const UIColor& c);
    static UIColor blendWithColor(const UIColor& c, const UIColor& other, CGFloat factor = 0.5);
    // Each non-zero offset is added and the sum clamped to 0-1 (the hue too: no wrap).
    static UIColor adjustColor(const UIColor& c, CGFloat hueOffset, CGFloat saturationOffset, CGFloat brightnessOffset);

    // ---- Schemes -----------------------------------------------------------------------
    static UIColors triadColors(const UIColor& c);
    static UIColors tetradColors(const UIColor& c);
    static UIColors splitComplementColors(const UIColor& c);
    static UIColors analogousColors(const UIColor& c, int count, int slices = 30);
    static UIColors monochromaticColors(const UIColor& c, int count);
    static UIColors shadedColors(const UIColor& c, int count);
    static UIColors equidistantColors(const UIColor& c, int count);

    // ---- Lists -------------------------------------------------------------------------
    // At least `minimum` colours: the list itself when long enough, else extended with the
    // monochromatic colours of its last colour (an empty list stays empty).
    static UIColors colorPalette(const UIColors& colors, int minimum);
    static UIColors pastelColors(int count, CGFloat brightnessFactor = 0.9);
    static UIColors spectrumColors(int count);
    static CGFloat randomNumber(CGFloat low, CGFloat high);
    static UIColor randomColor(CGFloat minSaturation = 0, CGFloat maxSaturation = 1, CGFloat minBrightness = 0,
                               CGFloat maxBrightness = 1);
    static UIColors randomColors(int count, CGFloat minSaturation = 0, CGFloat maxSaturation = 1,
                                 CGFloat minBrightness = 0, CGFloat maxBrightness = 1);
    // One colour per pixel of the picture reduced to fit 16 × 16, row by row; none when the
    // picture is missing or reduces to a zero side.
    static UIColors colorPaletteFromImage(const UIImagePtr& image);
    static UIColors blendColors(const UIColors& colors, const UIColor& other, CGFloat factor = 0.5);
    static UIColors adjustColors(const UIColors& colors, CGFloat hueOffset, CGFloat saturationOffset,
                                 CGFloat brightnessOffset);
    // In place by the block's number, smaller first when ascending; equal numbers keep order.
    static void sortColors(UIColors& colors, bool ascending, const std::function<double(const UIColor&)>& key);
};

// `UIColor(ColorAnalysis)`. An absent colour is `std::nullopt`.
struct ColorAnalysisUtility {
    static CGFloat colorLuminance(const UIColor& c);
    static CGFloat colorHue(const UIColor& c);
    static CGFloat colorSaturation(const UIColor& c);
    static CGFloat colorBrightness(const UIColor& c);
    static bool isDarkColor(const UIColor& c);  // luminance < 0.5
    static bool isLightColor(const UIColor& c);
    static bool isBlackOrWhite(const std::optional<UIColor>& c);
    static bool isDistinctFromColor(const UIColor& c, const UIColor& other);
    // (L1 + 0.05) / (L2 + 0.05), the lighter over the darker; 0 when either is absent.
    static CGFloat contrastForColor(const std::optional<UIColor>& c, const std::optional<UIColor>& other);
    static bool isContrastingColor(const UIColor& c, const UIColor& other);  // contrast > 1.6

    // HSB clamps: a component changes only when beyond its bound.
    static UIColor colorWithMinimumSaturation(const UIColor& c, CGFloat minimum);
    static UIColor colorWithMaximumSaturation(const UIColor& c, CGFloat maximum);
    static UIColor colorWithMinimumBrightness(const UIColor& c, CGFloat minimum);
    static UIColor colorWithMaximumBrightness(const UIColor& c, CGFloat maximum);
    static UIColor colorWithMinimumSaturationAndMinimumBrightness(const UIColor& c, CGFloat minSaturation,
                                                                  CGFloat minBrightness);
    static UIColor colorWithMinimumBrightnessAndMaximumSaturation(const UIColor& c, CGFloat minBrightness,
                                                                  CGFloat maxSaturation);
    static UIColor colorWithMaximumBrightnessAndMaximumSaturation(const UIColor& c, CGFloat maxBrightness,
                                                                  CGFloat maxSaturation);
    static UIColor colorWithMinimumBrightnessAndMaximumBrightnessAndMaximumSaturation(const UIColor& c,
                                                                                      CGFloat minBrightness,
                                                                                      CGFloat maxBrightness,
                                                                                      CGFloat maxSaturation);
};
