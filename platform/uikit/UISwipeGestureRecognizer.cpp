#include "platform/uikit/UISwipeGestureRecognizer.h"

#include <cmath>

using State = UIGestureRecognizerState;

void UISwipeGestureRecognizer::touchesBegan(const UITouchSet&, const UIEvent& event) {
    if (liveTouchCount() > static_cast<std::size_t>(touchesRequired_)) return setState(State::Failed);
    start_ = liveCentroid();
    if (!started_) {
        started_ = true;
        startTime_ = event.timestamp;
        scheduleStep(kMaximumDuration, [this] { setState(State::Failed); });
    }
}

void UISwipeGestureRecognizer::judge(NSTimeInterval time) {
    if (state() != State::Possible) return;
    if (time - startTime_ > kMaximumDuration) return setState(State::Failed);
    if (liveTouchCount() != static_cast<std::size_t>(touchesRequired_)) return;
    const CGPoint at = liveCentroid();
    const CGFloat dx = at.x - start_.x, dy = at.y - start_.y;
    struct Way {
        unsigned mask;
        CGFloat along, across;
    };
    const Way ways[] = {{UISwipeGestureRecognizerDirectionRight, dx, dy},
                        {UISwipeGestureRecognizerDirectionLeft, -dx, dy},
                        {UISwipeGestureRecognizerDirectionUp, -dy, dx},
                        {UISwipeGestureRecognizerDirectionDown, dy, dx}};
    bool stillPossible = false;
    for (const Way& way : ways) {
        if (!(direction_ & way.mask) || std::abs(way.across) >= kMinimumDistance / 2) continue;
        if (way.along >= kMinimumDistance) return setState(State::Ended);
        stillPossible = true;
    }
    if (!stillPossible) setState(State::Failed);
}

void UISwipeGestureRecognizer::touchesMoved(const UITouchSet&, const UIEvent& event) { judge(event.timestamp); }

void UISwipeGestureRecognizer::touchesEnded(const UITouchSet&, const UIEvent& event) {
    judge(event.timestamp);
    if (state() == State::Possible) setState(State::Failed);
}

void UISwipeGestureRecognizer::reset() {
    UIGestureRecognizer::reset();
    started_ = false;
}
