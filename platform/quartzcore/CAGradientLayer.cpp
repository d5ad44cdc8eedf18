#include "platform/quartzcore/CAGradientLayer.h"

void CAGradientLayer::drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const {
    drawGradient(context, p, colorsOf(p));
}

std::vector<CGColor> CAGradientLayer::colorsOf(const CALayerProperties& p) {
    auto it = p.further.find("colors");
    const auto* colors = it == p.further.end() ? nullptr : std::get_if<std::vector<CGColor>>(&it->second);
    return colors ? *colors : std::vector<CGColor>{};
}

void CAGradientLayer::drawGradient(const CGContextRef& context, const CALayerProperties& p,
                                   const std::vector<CGColor>& colors) const {
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
        CGContextDrawLinearGradient(context, CGGradientCreateWithColors(CGColorSpaceCreateDeviceRGB(), colors, locations_),
                                    unit(startPoint_), unit(endPoint_),
                                    kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
    }
    CGContextRestoreGState(context);
}
