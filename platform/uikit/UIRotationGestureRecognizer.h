#pragma once
// Rotation from two fingers: the turn, in radians clockwise on the screen, of the line
// between them since they came down (plus the rotation set last).
#include "platform/uikit/UITwoFingerGestureRecognizer.h"

class UIRotationGestureRecognizer : public UITwoFingerGestureRecognizer {
public:
    UIRotationGestureRecognizer() : UITwoFingerGestureRecognizer(0) {}
    CGFloat rotation() const { return value(); }
    void setRotation(CGFloat rotation) { setValue(rotation); }
    // Radians a second.
    CGFloat velocity() const { return valueVelocity(); }

protected:
    CGFloat measure(CGPoint a, CGPoint b) const override;
    CGFloat follow(CGFloat startValue, CGFloat startMeasure, CGFloat measure) const override;
    CGFloat unwrap(CGFloat last, CGFloat measure) const override;
};
