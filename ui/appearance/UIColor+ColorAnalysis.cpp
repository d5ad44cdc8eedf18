// `ColorAnalysisUtility`: luminance, darkness, distinctness, contrast and HSB clamps.
#include <algorithm>
#include <cmath>

#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

struct HSBA {
    CGFloat h = 0, s = 0, b = 0, a = 0;
};

// Applies the clamps in order; answers the colour itself when none changed a component.
UIColor clamped(const UIColor& c, std::initializer_list<std::function<bool(HSBA&)>> clamps) {
    HSBA v;
    ColorUtility::getHSBA(c, &v.h, &v.s, &v.b, &v.a);
    bool changed = false;
    for (const auto& clamp : clamps) changed |= clamp(v);
    return changed ? UIColor::colorWithHue(v.h, v.s, v.b, v.a) : c;
}

std::function<bool(HSBA&)> atLeast(CGFloat HSBA::*field, CGFloat bound) {
    return [field, bound](HSBA& v) {
        if (v.*field >= bound) return false;
        v.*field = bound;
        return true;
    };
}

std::function<bool(HSBA&)> atMost(CGFloat HSBA::*field, CGFloat bound) {
    return [field, bound](HSBA& v) {
        if (v.*field <= bound) return false;
        v.*field = bound;
        return true;
    };
}

}  // namespace

CGFloat ColorAnalysisUtility::colorLuminance(const UIColor& c) {
    CGFloat r = 0, g = 0, b = 0;
    ColorUtility::getRGBA(c, &r, &g, &b, nullptr);
    return ColorUtility::colorLuminanceFromRGB(r, g, b);
}

CGFloat ColorAnalysisUtility::colorHue(const UIColor& c) {
    CGFloat h = 0;
    return ColorUtility::getHSBA(c, &h, nullptr, nullptr, nullptr) ? h : 0;
}

CGFloat ColorAnalysisUtility::colorSaturation(const UIColor& c) {
    CGFloat s = 0;
    return ColorUtility::getHSBA(c, nullptr, &s, nullptr, nullptr) ? s : 0;
}

CGFloat ColorAnalysisUtility::colorBrightness(const UIColor& c) {
    CGFloat b = 0;
    return ColorUtility::getHSBA(c, nullptr, nullptr, &b, nullptr) ? b : 0;
}

bool ColorAnalysisUtility::isDarkColor(const UIColor& c) { return colorLuminance(c) < 0.5; }

bool ColorAnalysisUtility::isLightColor(const UIColor& c) { return !isDarkColor(c); }

bool ColorAnalysisUtility::isBlackOrWhite(const std::optional<UIColor>& c) {
    if (!c) return false;
    CGFloat r = 0, g = 0, b = 0;
    ColorUtility::getRGBA(*c, &r, &g, &b, nullptr);
    return (r > 0.91 && g > 0.91 && b > 0.91) || (r < 0.09 && g < 0.09 && b < 0.09);
}

bool ColorAnalysisUtility::isDistinctFromColor(const UIColor& c, const UIColor& other) {
    CGFloat r1 = 0, g1 = 0, b1 = 0, a1 = 0, r2 = 0, g2 = 0, b2 = 0, a2 = 0;
    ColorUtility::getRGBA(c, &r1, &g1, &b1, &a1);
    ColorUtility::getRGBA(other, &r2, &g2, &b2, &a2);
    const CGFloat threshold = 0.25;
    if (std::fabs(r1 - r2) <= threshold && std::fabs(g1 - g2) <= threshold && std::fabs(b1 - b2) <= threshold &&
        std::fabs(a1 - a2) <= threshold)
        return false;
    auto nearGrey = [](CGFloat r, CGFloat g, CGFloat b) { return std::fabs(r - g) < 0.03 && std::fabs(r - b) < 0.03; };
    return !(nearGrey(r1, g1, b1) && nearGrey(r2, g2, b2));
}

CGFloat ColorAnalysisUtility::contrastForColor(const std::optional<UIColor>& c, const std::optional<UIColor>& other) {
    if (!c || !other) return 0;
    const CGFloat l1 = colorLuminance(*c), l2 = colorLuminance(*other);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

bool ColorAnalysisUtility::isContrastingColor(const UIColor& c, const UIColor& other) {
    return contrastForColor(c, other) > 1.6;
}

UIColor ColorAnalysisUtility::colorWithMinimumSaturation(const UIColor& c, CGFloat minimum) {
    return clamped(c, {atLeast(&HSBA::s, minimum)});
}

UIColor ColorAnalysisUtility::colorWithMaximumSaturation(const UIColor& c, CGFloat maximum) {
    return clamped(c, {atMost(&HSBA::s, maximum)});
}

UIColor ColorAnalysisUtility::colorWithMinimumBrightness(const UIColor& c, CGFloat minimum) {
    return clamped(c, {atLeast(&HSBA::b, minimum)});
}

UIColor ColorAnalysisUtility::colorWithMaximumBrightness(const UIColor& c, CGFloat maximum) {
    return clamped(c, {atMost(&HSBA::b, maximum)});
}

UIColor ColorAnalysisUtility::colorWithMinimumSaturationAndMinimumBrightness(const UIColor& c, CGFloat minSaturation,
                                                                             CGFloat minBrightness) {
    return clamped(c, {atLeast(&HSBA::s, minSaturation), atLeast(&HSBA::b, minBrightness)});
}

UIColor ColorAnalysisUtility::colorWithMinimumBrightnessAndMaximumSaturation(const UIColor& c, CGFloat minBrightness,
                                                                             CGFloat maxSaturation) {
    return clamped(c, {atLeast(&HSBA::b, minBrightness), atMost(&HSBA::s, maxSaturation)});
}

UIColor ColorAnalysisUtility::colorWithMaximumBrightnessAndMaximumSaturation(const UIColor& c, CGFloat maxBrightness,
                                                                             CGFloat maxSaturation) {
    return clamped(c, {atMost(&HSBA::b, maxBrightness), atMost(&HSBA::s, maxSaturation)});
}

UIColor ColorAnalysisUtility::colorWithMinimumBrightnessAndMaximumBrightnessAndMaximumSaturation(
    const UIColor& c, CGFloat minBrightness, CGFloat maxBrightness, CGFloat maxSaturation) {
    return clamped(
        c, {atLeast(&HSBA::b, minBrightness), atMost(&HSBA::b, maxBrightness), atMost(&HSBA::s, maxSaturation)});
}
