#pragma once
// Gradients: colours at locations 0-1 along an axis, drawn by `CGContextDrawLinearGradient`.
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/coregraphics/CGColor.h"

struct CGGradient {
    std::vector<CGColor> colors;
    std::vector<CGFloat> locations;  // one a colour, ascending
};
using CGGradientRef = std::shared_ptr<const CGGradient>;

enum CGGradientDrawingOptions : unsigned {
    kCGGradientDrawsBeforeStartLocation = 1u << 0,
    kCGGradientDrawsAfterEndLocation = 1u << 1,
};

// Without locations (or with a count other than the colours'), the colours are spread evenly
// from 0 to 1; a single colour stands at 0. Locations are clamped to 0-1 and kept in order.
// Null without colours.
CGGradientRef CGGradientCreateWithColors(const CGColorSpaceRef& space, const std::vector<CGColor>& colors,
                                         const std::vector<CGFloat>& locations = {});
// `components` holds four values (red, green, blue, alpha) a colour, `count` colours;
// `locations` null or `count` values.
CGGradientRef CGGradientCreateWithColorComponents(const CGColorSpaceRef& space, const CGFloat* components,
                                                  const CGFloat* locations, std::size_t count);
