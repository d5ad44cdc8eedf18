#pragma once
// Calls a block on every display frame while an animation runs, optionally with the value at
// a key path of a layer's presentation (what is on screen at that frame). The observer keeps
// itself alive, with its display link (its associated object), from the beginning until
// `finishObservingAnimation`; a second finish does nothing. The link runs in the default mode
// only, so it pauses while the run loop tracks a touch.
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/NSObject.h"
#include "platform/quartzcore/CALayer.h"

class AnimationObserver : public NSObject, public std::enable_shared_from_this<AnimationObserver> {
public:
    static std::shared_ptr<AnimationObserver> beginObservingAnimationWithBlock(std::function<void()> block);
    static std::shared_ptr<AnimationObserver> beginObservingAnimation(const std::shared_ptr<CALayer>& layer,
                                                                      const std::string& keyPath,
                                                                      std::function<void(const CAValue&)> block);
    void finishObservingAnimation();
    bool isObserving() const { return self_ != nullptr; }

private:
    static std::shared_ptr<AnimationObserver> begin(std::function<void()> perFrame);
    std::shared_ptr<AnimationObserver> self_;
};
