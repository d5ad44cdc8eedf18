#include "ui/animation/CAAnimation+AnimationBlockUtility.h"

#include "ui/animation/AnimationDelegate.h"

namespace {

// The animation's AnimationDelegate, installed when it has none.
AnimationDelegate& blockDelegate(CAAnimation& animation) {
    if (auto existing = std::dynamic_pointer_cast<AnimationDelegate>(animation.delegate())) return *existing;
    animation.setDelegate(std::make_shared<AnimationDelegate>());
    return static_cast<AnimationDelegate&>(*animation.delegate());
}

const AnimationDelegate* existingDelegate(const CAAnimation& animation) {
    return dynamic_cast<const AnimationDelegate*>(animation.delegate().get());
}

}  // namespace

namespace AnimationBlockUtility {

void setCompletion(CAAnimation& animation, std::function<void(bool)> completion) {
    blockDelegate(animation).setCompletion(std::move(completion));
}

void setStart(CAAnimation& animation, std::function<void()> start) {
    blockDelegate(animation).setStart(std::move(start));
}

std::function<void(bool)> completion(const CAAnimation& animation) {
    const AnimationDelegate* d = existingDelegate(animation);
    return d ? d->completion() : nullptr;
}

std::function<void()> start(const CAAnimation& animation) {
    const AnimationDelegate* d = existingDelegate(animation);
    return d ? d->start() : nullptr;
}

}  // namespace AnimationBlockUtility
