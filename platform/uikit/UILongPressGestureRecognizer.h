#pragma once
// A press held still: begins once the fingers have been down `minimumPressDuration` without
// moving `allowableMovement` points, changes as they move, ends when they lift.
#include "platform/uikit/UIGestureRecognizer.h"

class UILongPressGestureRecognizer : public UIGestureRecognizer {
public:
    NSTimeInterval minimumPressDuration() const { return minimumPressDuration_; }
    void setMinimumPressDuration(NSTimeInterval seconds) { minimumPressDuration_ = std::max(seconds, 0.0); }
    CGFloat allowableMovement() const { return allowableMovement_; }
    void setAllowableMovement(CGFloat points) { allowableMovement_ = points; }
    int numberOfTouchesRequired() const { return touchesRequired_; }
    void setNumberOfTouchesRequired(int touches) { touchesRequired_ = std::max(touches, 1); }

    void touchesBegan(const UITouchSet& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEvent& event) override;
    void reset() override;

private:
    NSTimeInterval minimumPressDuration_ = 0.5;
    CGFloat allowableMovement_ = 10;
    int touchesRequired_ = 1;
    CGPoint start_{};
};
