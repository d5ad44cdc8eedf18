#include "ui/animation/AnimationDelegate.h"

AnimationDelegate::~AnimationDelegate() {
    // The blocks may hold what holds the animation: let go of them first.
    completion_ = nullptr;
    start_ = nullptr;
}

void AnimationDelegate::animationDidStart(CAAnimation&) {
    if (auto start = start_) start();
}

void AnimationDelegate::animationDidStop(CAAnimation&, bool finished) {
    if (auto completion = completion_) completion(finished);
}
