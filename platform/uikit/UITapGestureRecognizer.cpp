#include "platform/uikit/UITapGestureRecognizer.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIControl.h"

void UITapGestureRecognizer::touchesBegan(const UITouchSet& touches, const UIEvent&) {
    cancelStep();  // the next tap came in time
    for (const UITouch* touch : touches) starts_.emplace_back(touch, touch->windowLocation);
    fingers_ = std::max(fingers_, liveTouchCount());
    if (fingers_ > static_cast<std::size_t>(touchesRequired_)) setState(UIGestureRecognizerState::Failed);
}

void UITapGestureRecognizer::touchesMoved(const UITouchSet& touches, const UIEvent&) {
    for (const UITouch* touch : touches) {
        auto start = std::find_if(starts_.begin(), starts_.end(), [&](const auto& s) { return s.first == touch; });
        if (start == starts_.end()) continue;
        const CGFloat dx = touch->windowLocation.x - start->second.x, dy = touch->windowLocation.y - start->second.y;
        if (std::hypot(dx, dy) >= kAllowableMovement) return setState(UIGestureRecognizerState::Failed);
    }
}

void UITapGestureRecognizer::touchesEnded(const UITouchSet& touches, const UIEvent& event) {
    touchesMoved(touches, event);
    if (state() != UIGestureRecognizerState::Possible || liveTouchCount() > 0) return;
    const bool enoughFingers = fingers_ == static_cast<std::size_t>(touchesRequired_);
    starts_.clear();
    fingers_ = 0;
    if (!enoughFingers) return setState(UIGestureRecognizerState::Failed);
    if (++taps_ >= tapsRequired_) return setState(UIGestureRecognizerState::Ended);
    scheduleStep(kMaximumTapInterval, [this] { setState(UIGestureRecognizerState::Failed); });
}

void UITapGestureRecognizer::reset() {
    UIGestureRecognizer::reset();
    taps_ = 0;
    fingers_ = 0;
    starts_.clear();
}

bool UITapGestureRecognizer::wantsTouchOn(const UIView& hit) const {
    if (tapsRequired_ != 1) return true;
    for (const UIView* v = &hit; v && v != view(); v = v->superview())
        if (dynamic_cast<const UIControl*>(v)) return false;
    return true;
}
