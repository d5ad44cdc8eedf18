#include "platform/uikit/UIPinchGestureRecognizer.h"

#include <cmath>

CGFloat UIPinchGestureRecognizer::measure(CGPoint a, CGPoint b) const { return std::hypot(b.x - a.x, b.y - a.y); }

CGFloat UIPinchGestureRecognizer::follow(CGFloat startValue, CGFloat startMeasure, CGFloat measure) const {
    // Fingers that came down on one point have no scale to follow.
    return startMeasure > 0 ? startValue * measure / startMeasure : startValue;
}
