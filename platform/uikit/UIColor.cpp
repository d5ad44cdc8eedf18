#include "platform/uikit/UIColor.h"

#include <algorithm>
#include <cmath>

namespace {
CGFloat unit(CGFloat v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }
}  // namespace

UIColor UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
    UIColor c;
    c.r_ = unit(red), c.g_ = unit(green), c.b_ = unit(blue), c.a_ = unit(alpha);
    return c;
}

UIColor UIColor::colorWithWhite(CGFloat white, CGFloat alpha) { return colorWithRed(white, white, white, alpha); }

UIColor UIColor::colorWithHue(CGFloat hue, CGFloat saturation, CGFloat brightness, CGFloat alpha) {
    const CGFloat h = std::isfinite(hue) ? hue - std::floor(hue) : 0;  // a full turn wraps
    const CGFloat s = unit(saturation), v = unit(brightness);
    const CGFloat sector = h * 6;
    const int i = static_cast<int>(std::floor(sector)) % 6;
    const CGFloat f = sector - std::floor(sector);
    const CGFloat p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
    case 0: return colorWithRed(v, t, p, alpha);
    case 1: return colorWithRed(q, v, p, alpha);
    case 2: return colorWithRed(p, v, t, alpha);
    case 3: return colorWithRed(p, q, v, alpha);
    case 4: return colorWithRed(t, p, v, alpha);
    default: return colorWithRed(v, p, q, alpha);
    }
}

UIColor UIColor::colorWithCGColor(::CGColor color) { return colorWithRed(color.r, color.g, color.b, color.a); }

UIColor UIColor::colorWithAlphaComponent(CGFloat alpha) const { return colorWithRed(r_, g_, b_, alpha); }

UIColor UIColor::colorCarryingObject(std::shared_ptr<NSObject> object) const {
    UIColor c = *this;
    c.object_ = std::move(object);
    return c;
}

bool UIColor::getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const {
    if (red) *red = r_;
    if (green) *green = g_;
    if (blue) *blue = b_;
    if (alpha) *alpha = a_;
    return true;
}

bool UIColor::getWhite(CGFloat* white, CGFloat* alpha) const {
    if (r_ != g_ || g_ != b_) return false;
    if (white) *white = r_;
    if (alpha) *alpha = a_;
    return true;
}

bool UIColor::getHue(CGFloat* hue, CGFloat* saturation, CGFloat* brightness, CGFloat* alpha) const {
    const CGFloat max = std::max({r_, g_, b_}), min = std::min({r_, g_, b_}), delta = max - min;
    CGFloat h = 0;
    if (delta > 0) {
        if (max == r_) h = (g_ - b_) / delta;
        else if (max == g_) h = 2 + (b_ - r_) / delta;
        else h = 4 + (r_ - g_) / delta;
        h /= 6;
        if (h < 0) h += 1;
    }
    if (hue) *hue = h;
    if (saturation) *saturation = max > 0 ? delta / max : 0;
    if (brightness) *brightness = max;
    if (alpha) *alpha = a_;
    return true;
}
