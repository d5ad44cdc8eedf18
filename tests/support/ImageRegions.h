#pragma once
// Reading regions of composed pictures: the mean straight colour of a rectangle of pixels and
// its mean saturation, so that screenshot tests look at what a region shows, never at whole
// golden images; and a comparison of colours within a tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "platform/coregraphics/CGImage.h"

// Mean of the pixels of `rect` (in pixels, clipped to the picture), colour weighted by alpha.
inline CGColor meanColor(const CGImageRef& image, CGRect rect) {
    const auto x0 = static_cast<std::size_t>(std::max(0.0, rect.origin.x));
    const auto y0 = static_cast<std::size_t>(std::max(0.0, rect.origin.y));
    const auto x1 = static_cast<std::size_t>(std::min<double>(CGImageGetWidth(image), CGRectGetMaxX(rect)));
    const auto y1 = static_cast<std::size_t>(std::min<double>(CGImageGetHeight(image), CGRectGetMaxY(rect)));
    double r = 0, g = 0, b = 0, a = 0, n = 0;
    for (std::size_t y = y0; y < y1; ++y)
        for (std::size_t x = x0; x < x1; ++x) {
            const CGColor c = CGImageGetPixel(image, x, y);
            r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a, n += 1;
        }
    if (n == 0) return {};
    if (a == 0) return {0, 0, 0, 0};
    return {r / a, g / a, b / a, a / n};
}

// The same for a rectangle in points of a picture at `scale` pixels a point.
inline CGColor meanColorInPoints(const CGImageRef& image, CGRect points, double scale) {
    return meanColor(image, {{points.origin.x * scale, points.origin.y * scale},
                             {points.size.width * scale, points.size.height * scale}});
}

// The HSL saturation of a colour with components from 0 to 1: 0 for a grey, 1 for a pure hue.
inline double hslSaturation(double r, double g, double b) {
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    const double lightness = (high + low) / 2;
    const double spread = 1 - std::abs(2 * lightness - 1);
    return spread <= 1e-9 ? 0 : (high - low) / spread;
}

// The mean HSL saturation of the pixels of `rect` (in pixels, clipped to the picture): how
// colourful a region looks, whatever its colours are.
inline double meanSaturation(const CGImageRef& image, CGRect rect) {
    const auto x0 = static_cast<std::size_t>(std::max(0.0, rect.origin.x));
    const auto y0 = static_cast<std::size_t>(std::max(0.0, rect.origin.y));
    const auto x1 = static_cast<std::size_t>(std::min<double>(CGImageGetWidth(image), CGRectGetMaxX(rect)));
    const auto y1 = static_cast<std::size_t>(std::min<double>(CGImageGetHeight(image), CGRectGetMaxY(rect)));
    double sum = 0, n = 0;
    for (std::size_t y = y0; y < y1; ++y)
        for (std::size_t x = x0; x < x1; ++x) {
            const CGColor c = CGImageGetPixel(image, x, y);
            sum += hslSaturation(c.r, c.g, c.b), n += 1;
        }
    return n == 0 ? 0 : sum / n;
}

inline void expectColor(CGColor actual, CGColor expected, const std::string& what, double tolerance = 0.03) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << what;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << what;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << what;
}
