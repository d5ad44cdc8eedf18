#pragma once
// Reading regions of composed pictures: the mean straight colour of a rectangle of pixels,
// so that screenshot tests look at what a region shows, never at whole golden images; and a
// comparison of colours within a tolerance.
#include <gtest/gtest.h>

#include <algorithm>
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

inline void expectColor(CGColor actual, CGColor expected, const std::string& what, double tolerance = 0.03) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << what;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << what;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << what;
}
