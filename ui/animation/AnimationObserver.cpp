#include "ui/animation/AnimationObserver.h"

#include "platform/quartzcore/CADisplayLink.h"
#include "ui/foundation/CADisplayLink+BlockUtility.h"
#include "ui/foundation/NSObject+ObjectUtility.h"

std::shared_ptr<AnimationObserver> AnimationObserver::begin(std::function<void()> perFrame) {
    auto observer = std::make_shared<AnimationObserver>();
    auto link = BlockUtility::displayLinkWithBlock([perFrame = std::move(perFrame)](CADisplayLink&) {
        if (perFrame) perFrame();
    });
    link->addToRunLoop(NSRunLoop::currentRunLoop(), NSDefaultRunLoopMode);
    ObjectUtility::setAssociatedObject(*observer, link);
    observer->self_ = observer;
    return observer;
}

std::shared_ptr<AnimationObserver> AnimationObserver::beginObservingAnimationWithBlock(std::function<void()> block) {
    return begin(std::move(block));
}

std::shared_ptr<AnimationObserver> AnimationObserver::beginObservingAnimation(
    const std::shared_ptr<CALayer>& layer, const std::string& keyPath, std::function<void(const CAValue&)> block) {
    return begin([layer, keyPath, block = std::move(block)] {
        if (block && layer) block(layer->presentationLayer()->valueForKeyPath(keyPath));
    });
}

void AnimationObserver::finishObservingAnimation() {
    if (!self_) return;  // already finished
    if (auto link = std::static_pointer_cast<CADisplayLink>(ObjectUtility::associatedObject(*this))) link->invalidate();
    ObjectUtility::setAssociatedObject(*this, nullptr);
    auto self = std::move(self_);  // may be the last reference: released when this returns
    self_ = nullptr;
}
