#include "platform/coregraphics/CGGradient.h"

#include <algorithm>

CGGradientRef CGGradientCreateWithColors(const CGColorSpaceRef&, const std::vector<CGColor>& colors,
                                         const std::vector<CGFloat>& locations) {
    if (colors.empty()) return nullptr;
    auto gradient = std::make_shared<CGGradient>();
    gradient->colors = colors;
    const std::size_t n = colors.size();
    gradient->locations.resize(n);
    CGFloat previous = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const CGFloat at = locations.size() == n ? locations[i] : (n == 1 ? 0 : CGFloat(i) / CGFloat(n - 1));
        // Out-of-order locations would make a pattern with stops running backwards.
        previous = std::max(previous, std::clamp(at, 0.0, 1.0));
        gradient->locations[i] = previous;
    }
    return gradient;
}

CGGradientRef CGGradientCreateWithColorComponents(const CGColorSpaceRef& space, const CGFloat* components,
                                                  const CGFloat* locations, std::size_t count) {
    if (!components) return nullptr;
    std::vector<CGColor> colors;
    for (std::size_t i = 0; i < count; ++i)
        colors.push_back({components[4 * i], components[4 * i + 1], components[4 * i + 2], components[4 * i + 3]});
    return CGGradientCreateWithColors(
        space, colors, locations ? std::vector<CGFloat>(locations, locations + count) : std::vector<CGFloat>{});
}
