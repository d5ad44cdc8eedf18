#pragma once
// Pictures for the crop tests: four coloured quadrants (red top-left, green top-right, blue
// bottom-left, white bottom-right), at any point size and scale, so that a probe tells which
// part of the picture ended up where.
#include <gtest/gtest.h>

#include "platform/coregraphics/CGImage.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "support/ImageRegions.h"

inline const CGColor kQuadrantColors[4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}};

// A scale below 1 keeps large point sizes cheap where only the geometry matters.
inline UIImagePtr quadrantPicture(CGSize size, CGFloat scale = 1,
                                  UIImageOrientation orientation = UIImageOrientation::Up) {
    // Drawn as the stored pixels, so that the orientation turns them.
    CGSize stored = size;
    if (UIImageOrientationSwapsSize(orientation)) std::swap(stored.width, stored.height);
    UIGraphicsBeginImageContextWithOptions(stored, true, scale);
    const CGContextRef c = UIGraphicsGetCurrentContext();
    const CGFloat w = stored.width / 2, h = stored.height / 2;
    const CGRect quarters[4] = {{{0, 0}, {w, h}}, {{w, 0}, {w, h}}, {{0, h}, {w, h}}, {{w, h}, {w, h}}};
    for (int i = 0; i < 4; ++i) {
        CGContextSetFillColorWithColor(c, kQuadrantColors[i]);
        CGContextFillRect(c, quarters[i]);
    }
    UIImagePtr drawn = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return UIImage::imageWithCGImage(drawn->CGImage(), scale, orientation);
}

// The colour of one pixel of the picture's bitmap.
inline CGColor pixelAt(const UIImagePtr& image, double x, double y) {
    return CGImageGetPixel(image->CGImage(), static_cast<std::size_t>(x), static_cast<std::size_t>(y));
}

inline void expectRect(CGRect actual, CGRect expected, double tolerance, const std::string& what) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, tolerance) << what;
    EXPECT_NEAR(actual.origin.y, expected.origin.y, tolerance) << what;
    EXPECT_NEAR(actual.size.width, expected.size.width, tolerance) << what;
    EXPECT_NEAR(actual.size.height, expected.size.height, tolerance) << what;
}

inline bool containsRect(CGRect outer, CGRect inner) {
    return CGRectGetMinX(inner) >= CGRectGetMinX(outer) && CGRectGetMinY(inner) >= CGRectGetMinY(outer) &&
           CGRectGetMaxX(inner) <= CGRectGetMaxX(outer) && CGRectGetMaxY(inner) <= CGRectGetMaxY(outer);
}
