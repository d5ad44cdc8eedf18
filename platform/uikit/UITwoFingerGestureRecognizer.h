#pragma once
// What pinch and rotation share: they follow the first two fingers down, begin on the first
// change of their measure (distance or angle) and end when fewer than two remain. The value
// is the one at the start times the measure's change (pinch) or plus it (rotation); setting
// it restarts the measure from the fingers' present place. Velocity is the value's change a
// second between the last two moves.
#include "platform/uikit/UIGestureRecognizer.h"

class UITwoFingerGestureRecognizer : public UIGestureRecognizer {
public:
    void touchesBegan(const UITouchSet& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEvent& event) override;
    void reset() override;

protected:
    explicit UITwoFingerGestureRecognizer(CGFloat restValue) : restValue_(restValue), value_(restValue) {}
    // The measure of the two fingers, and how a value follows its change.
    virtual CGFloat measure(CGPoint a, CGPoint b) const = 0;
    virtual CGFloat follow(CGFloat startValue, CGFloat startMeasure, CGFloat measure) const = 0;
    // The measure continued from the last one (angles past a half turn keep counting).
    virtual CGFloat unwrap(CGFloat last, CGFloat measure) const { return measure; }
    CGFloat value() const { return value_; }
    void setValue(CGFloat value);
    CGFloat valueVelocity() const { return velocity_; }

private:
    void restart();

    CGFloat restValue_;
    CGFloat value_;
    CGFloat startValue_ = 0, startMeasure_ = 0, lastMeasure_ = 0;
    bool measuring_ = false;
    CGFloat velocity_ = 0;
    NSTimeInterval lastTime_ = 0;
};
