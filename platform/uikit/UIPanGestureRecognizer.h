#pragma once
// A drag: begins after 10 points of travel with enough fingers down, changes as they move,
// ends when the last lifts. Translation follows the centre of the fingers from where they came
// down (a finger added or lifted does not jump it); velocity is taken over the last 0.1 s of
// the touches' time stamps, in points a second.
#include <deque>

#include "platform/uikit/UIGestureRecognizer.h"

class UIPanGestureRecognizer : public UIGestureRecognizer {
public:
    static constexpr CGFloat kHysteresis = 10;
    static constexpr NSTimeInterval kVelocityWindow = 0.1;

    std::size_t minimumNumberOfTouches() const { return minimumTouches_; }
    void setMinimumNumberOfTouches(std::size_t touches) { minimumTouches_ = std::max<std::size_t>(touches, 1); }
    std::size_t maximumNumberOfTouches() const { return maximumTouches_; }
    void setMaximumNumberOfTouches(std::size_t touches) { maximumTouches_ = touches; }

    // In the view's space (the window's for null).
    CGPoint translationInView(const UIView* view) const;
    void setTranslation(CGPoint translation, const UIView* view);
    CGPoint velocityInView(const UIView* view) const;

    void touchesBegan(const UITouchSet& touches, const UIEvent& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEvent& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEvent& event) override;
    void reset() override;

private:
    void sample(NSTimeInterval time);
    // Keeps the translation when the set of fingers changes under it.
    void rebase(CGPoint before);

    std::size_t minimumTouches_ = 1;
    std::size_t maximumTouches_ = SIZE_MAX;
    CGPoint start_{};  // window point the translation is measured from
    CGPoint current_{};
    std::deque<std::pair<NSTimeInterval, CGPoint>> samples_;
};
