#pragma once
// Scale from two fingers: their distance over the distance when they came down (times the
// scale set last).
#include "platform/uikit/UITwoFingerGestureRecognizer.h"

class UIPinchGestureRecognizer : public UITwoFingerGestureRecognizer {
public:
    UIPinchGestureRecognizer() : UITwoFingerGestureRecognizer(1) {}
    CGFloat scale() const { return value(); }
    void setScale(CGFloat scale) { setValue(scale); }
    // Scale a second.
    CGFloat velocity() const { return valueVelocity(); }

protected:
    CGFloat measure(CGPoint a, CGPoint b) const override;
    CGFloat follow(CGFloat startValue, CGFloat startMeasure, CGFloat measure) const override;
};
