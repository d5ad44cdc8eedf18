#pragma once
// A quick stroke: recognised once the fingers' centre has gone 50 points along one of the
// allowed directions, under half that across it, within 0.5 s of coming down.
#include "platform/uikit/UIGestureRecognizer.h"

enum UISwipeGestureRecognizerDirection : unsigned {
    UISwipeGestureRecognizerDirectionRight = 1 << 0,
    UISwipeGestureRecognizerDirectionLeft = 1 << 1,
    UISwipeGestureRecognizerDirectionUp = 1 << 2,
    UISwipeGestureRecognizerDirectionDown = 1 << 3,
};

class UISwipeGestureRecognizer : public UIGestureRecognizer {
public:
    static constexpr CGFloat kMinimumDistance = 50;
    static constexpr NSTimeInterval kMaximumDuration = 0.5;

    // A mask of directions; right unless set.
    unsigned direction() const { return direction_; }
    void setDirection(unsigned direction) { direction_ = direction; }
    int numberOfTouchesRequired() const { return touchesRequired_; }
    void setNumberOfTouchesRequired(int touches) { touchesRequired_ = std::max(touches, 1); }

    void touchesBegan(const UITouchSet& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEvent& event) override;
    void reset() override;

private:
    void judge(NSTimeInterval time);

    unsigned direction_ = UISwipeGestureRecognizerDirectionRight;
    int touchesRequired_ = 1;
    bool started_ = false;
    CGPoint start_{};
    NSTimeInterval startTime_ = 0;
};
