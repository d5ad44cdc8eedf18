#include "platform/quartzcore/CAGradientLayer.h"

#include <string>

namespace {
const std::string kColorsKey = "colors";
}  // namespace

std::vector<CGColor> CAGradientLayer::colorsOf(const CALayerProperties& p) {
    const auto it = p.further.find(kColorsKey);
    if (it == p.further.end()) return {};
    const auto* colors = std::get_if<std::vector<CGColor>>(&it->second);
    return colors ? *colors : std::vector<CGColor>{};
}

std::vector<CGColor> CAGradientLayer::colors() const { return colorsOf(model()); }

void CAGradientLayer::setColors(std::vector<CGColor> colors) { setValueForKeyPath(kColorsKey, std::move(colors)); }

void CAGradientLayer::drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const {
    const std::vector<CGColor> colors = colorsOf(p);
    const CGRect b = CGRectStandardize(p.bounds);
    if (colors.empty() || CGRectIsEmpty(b)) return;
    auto unit = [&](CGPoint u) { return CGPoint{b.origin.x + u.x * b.size.width, b.origin.y + u.y * b.size.height}; };
    CGContextSaveGState(context);
    CGContextClipToRect(context, b);
    if (colors.size() == 1 || startPoint_ == endPoint_) {
        // No axis to run along: the first colour all over, as a one-colour gradient would be.
        CGContextSetFillColorWithColor(context, colors.front());
        CGContextFillRect(context, b);
    } else {
        CGContextDrawLinearGradient(
            context, CGGradientCreateWithColors(CGColorSpaceCreateDeviceRGB(), colors, locations_), unit(startPoint_),
            unit(endPoint_), kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
    }
    CGContextRestoreGState(context);
}
