#include "platform/uikit/UIPanGestureRecognizer.h"

#include <cmath>

using State = UIGestureRecognizerState;

namespace {
CGPoint minus(CGPoint a, CGPoint b) { return {a.x - b.x, a.y - b.y}; }
}  // namespace

CGPoint UIPanGestureRecognizer::translationInView(const UIView* view) const {
    return minus(windowPointInView(current_, view), windowPointInView(start_, view));
}

void UIPanGestureRecognizer::setTranslation(CGPoint translation, const UIView* view) {
    // The start that gives the translation, found in the view's space and brought back.
    const CGPoint inView = windowPointInView(current_, view);
    const CGPoint startInView = minus(inView, translation);
    // Window and view differ by a flat transform; step through one unit vectors of it.
    const CGPoint origin = windowPointInView({0, 0}, view);
    const CGPoint ex = minus(windowPointInView({1, 0}, view), origin);
    const CGPoint ey = minus(windowPointInView({0, 1}, view), origin);
    const CGFloat det = ex.x * ey.y - ey.x * ex.y;
    if (det == 0) return;
    const CGPoint d = minus(startInView, origin);
    start_ = {(d.x * ey.y - ey.x * d.y) / det, (ex.x * d.y - d.x * ex.y) / det};
}

CGPoint UIPanGestureRecognizer::velocityInView(const UIView* view) const {
    if (samples_.size() < 2) return {0, 0};
    const auto& last = samples_.back();
    const auto& first = samples_.front();
    const NSTimeInterval dt = last.first - first.first;
    if (dt <= 0) return {0, 0};
    const CGPoint d = minus(windowPointInView(last.second, view), windowPointInView(first.second, view));
    return {d.x / dt, d.y / dt};
}

void UIPanGestureRecognizer::sample(NSTimeInterval time) {
    current_ = liveCentroid();
    samples_.emplace_back(time, current_);
    while (samples_.size() > 2 && samples_[1].first <= time - kVelocityWindow) samples_.pop_front();
}

void UIPanGestureRecognizer::rebase(CGPoint before) {
    const CGPoint after = liveCentroid();
    start_ = {start_.x + after.x - before.x, start_.y + after.y - before.y};
    for (auto& s : samples_) s.second = {s.second.x + after.x - before.x, s.second.y + after.y - before.y};
    current_ = after;
}

void UIPanGestureRecognizer::touchesBegan(const UITouchSet& touches, const UIEvent& event) {
    if (liveTouchCount() == touches.size() && samples_.empty()) {
        start_ = current_ = liveCentroid();
    } else {
        rebase(current_);
    }
    if (liveTouchCount() > maximumTouches_ && state() == State::Possible) return setState(State::Failed);
    sample(event.timestamp);
}

void UIPanGestureRecognizer::touchesMoved(const UITouchSet&, const UIEvent& event) {
    sample(event.timestamp);
    if (state() == State::Possible) {
        const std::size_t down = liveTouchCount();
        const CGPoint t = minus(current_, start_);
        if (down >= minimumTouches_ && down <= maximumTouches_ && std::hypot(t.x, t.y) >= kHysteresis)
            setState(State::Began);
    } else {
        setState(State::Changed);
    }
}

void UIPanGestureRecognizer::touchesEnded(const UITouchSet&, const UIEvent& event) {
    if (liveTouchCount() > 0) {
        rebase(current_);
        return;
    }
    // The lift is the last sample: a finger that stopped before lifting has no speed.
    samples_.emplace_back(event.timestamp, current_);
    while (samples_.size() > 2 && samples_[1].first <= event.timestamp - kVelocityWindow) samples_.pop_front();
    setState(state() == State::Possible ? State::Failed : State::Ended);
}

void UIPanGestureRecognizer::reset() {
    UIGestureRecognizer::reset();
    samples_.clear();
    start_ = current_ = {};
}
