#pragma once
// Taps: the required number of fingers come down and lift, each moving under 10 points, the
// required number of times, each further tap coming down within 0.35 s of the last lift.
// Recognised at the last lift. A single-tap recogniser does not see touches that begin on a
// control below its view (the control keeps its tap).
#include "platform/uikit/UIGestureRecognizer.h"

class UITapGestureRecognizer : public UIGestureRecognizer {
public:
    static constexpr CGFloat kAllowableMovement = 10;
    static constexpr NSTimeInterval kMaximumTapInterval = 0.35;

    int numberOfTapsRequired() const { return tapsRequired_; }
    void setNumberOfTapsRequired(int taps) { tapsRequired_ = std::max(taps, 1); }
    int numberOfTouchesRequired() const { return touchesRequired_; }
    void setNumberOfTouchesRequired(int touches) { touchesRequired_ = std::max(touches, 1); }

    void touchesBegan(const UITouchSet& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEvent& event) override;
    void reset() override;
    bool wantsTouchOn(const UIView& hit) const override;

private:
    int tapsRequired_ = 1;
    int touchesRequired_ = 1;
    int taps_ = 0;
    std::size_t fingers_ = 0;  // the most fingers down at once in this tap
    std::vector<std::pair<const UITouch*, CGPoint>> starts_;
};
