#include "platform/uikit/UILongPressGestureRecognizer.h"

#include <cmath>

using State = UIGestureRecognizerState;

void UILongPressGestureRecognizer::touchesBegan(const UITouchSet&, const UIEvent&) {
    if (state() != State::Possible) return;
    const std::size_t down = liveTouchCount();
    if (down > static_cast<std::size_t>(touchesRequired_)) return setState(State::Failed);
    start_ = liveCentroid();
    if (down == static_cast<std::size_t>(touchesRequired_))
        scheduleStep(minimumPressDuration_, [this] {
            if (state() == State::Possible) setState(State::Began);
        });
}

void UILongPressGestureRecognizer::touchesMoved(const UITouchSet&, const UIEvent&) {
    if (state() == State::Possible) {
        const CGPoint at = liveCentroid();
        if (std::hypot(at.x - start_.x, at.y - start_.y) >= allowableMovement_) setState(State::Failed);
    } else {
        setState(State::Changed);
    }
}

void UILongPressGestureRecognizer::touchesEnded(const UITouchSet& touches, const UIEvent& event) {
    if (state() == State::Possible) {
        touchesMoved(touches, event);
        if (state() == State::Possible) setState(State::Failed);  // lifted too soon
    } else {
        setState(State::Ended);
    }
}

void UILongPressGestureRecognizer::reset() {
    UIGestureRecognizer::reset();
    start_ = {};
}
