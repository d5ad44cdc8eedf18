#include "platform/uikit/UIRotationGestureRecognizer.h"

#include <cmath>
#include <numbers>

CGFloat UIRotationGestureRecognizer::measure(CGPoint a, CGPoint b) const { return std::atan2(b.y - a.y, b.x - a.x); }

CGFloat UIRotationGestureRecognizer::follow(CGFloat startValue, CGFloat startMeasure, CGFloat measure) const {
    return startValue + measure - startMeasure;
}

CGFloat UIRotationGestureRecognizer::unwrap(CGFloat last, CGFloat measure) const {
    // The shortest turn from the last angle, so crossing the line's ±π seam does not jump a circle.
    return last + std::remainder(measure - last, 2 * std::numbers::pi);
}
