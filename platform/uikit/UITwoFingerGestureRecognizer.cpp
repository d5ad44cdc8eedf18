#include "platform/uikit/UITwoFingerGestureRecognizer.h"

using State = UIGestureRecognizerState;

void UITwoFingerGestureRecognizer::restart() {
    CGPoint a, b;
    measuring_ = liveTouchPair(a, b);
    if (!measuring_) return;
    startValue_ = value_;
    startMeasure_ = lastMeasure_ = measure(a, b);
}

void UITwoFingerGestureRecognizer::setValue(CGFloat value) {
    value_ = value;
    restart();
}

void UITwoFingerGestureRecognizer::touchesBegan(const UITouchSet&, const UIEvent& event) {
    if (!measuring_) restart();
    lastTime_ = event.timestamp;
}

void UITwoFingerGestureRecognizer::touchesMoved(const UITouchSet&, const UIEvent& event) {
    CGPoint a, b;
    if (!measuring_ || !liveTouchPair(a, b)) return;
    lastMeasure_ = unwrap(lastMeasure_, measure(a, b));
    const CGFloat next = follow(startValue_, startMeasure_, lastMeasure_);
    if (next == value_ && state() == State::Possible) return;
    const NSTimeInterval dt = event.timestamp - lastTime_;
    velocity_ = dt > 0 ? (next - value_) / dt : 0;
    lastTime_ = event.timestamp;
    value_ = next;
    setState(state() == State::Possible ? State::Began : State::Changed);
}

void UITwoFingerGestureRecognizer::touchesEnded(const UITouchSet&, const UIEvent&) {
    CGPoint a, b;
    if (liveTouchPair(a, b)) return;
    measuring_ = false;
    if (state() == State::Possible) {
        if (liveTouchCount() == 0) setState(State::Failed);
    } else {
        setState(State::Ended);
    }
}

void UITwoFingerGestureRecognizer::reset() {
    UIGestureRecognizer::reset();
    value_ = restValue_;
    velocity_ = 0;
    measuring_ = false;
}
