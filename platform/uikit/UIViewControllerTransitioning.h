#pragma once
// Custom presentation: a transitioning delegate vends an animator for presenting or dismissing
// a controller; the animator moves the views inside the context's container and tells the
// context when it is done. The context answers the two controllers and views by key and
// whether the transition was cancelled (an interactive driver may cancel it).
#include <memory>
#include <string>

#include "platform/foundation/NSRunLoop.h"

class UIView;
class UIViewController;

inline const std::string UITransitionContextFromViewControllerKey = "UITransitionContextFromViewControllerKey";
inline const std::string UITransitionContextToViewControllerKey = "UITransitionContextToViewControllerKey";
inline const std::string UITransitionContextFromViewKey = "UITransitionContextFromViewKey";
inline const std::string UITransitionContextToViewKey = "UITransitionContextToViewKey";

class UIViewControllerContextTransitioning {
public:
    virtual ~UIViewControllerContextTransitioning() = default;
    virtual const std::shared_ptr<UIView>& containerView() const = 0;
    // Null for an unknown key.
    virtual std::shared_ptr<UIViewController> viewControllerForKey(const std::string& key) const = 0;
    virtual std::shared_ptr<UIView> viewForKey(const std::string& key) const = 0;
    virtual bool isAnimated() const = 0;
    virtual bool transitionWasCancelled() const = 0;
    // Marks the transition cancelled; the animator still ends it with `completeTransition`.
    virtual void cancelInteractiveTransition() = 0;
    // The animator's last word: true when the transition took place. Later calls are ignored.
    virtual void completeTransition(bool didComplete) = 0;
};

class UIViewControllerAnimatedTransitioning {
public:
    virtual ~UIViewControllerAnimatedTransitioning() = default;
    virtual NSTimeInterval transitionDuration(UIViewControllerContextTransitioning* context) = 0;
    virtual void animateTransition(UIViewControllerContextTransitioning& context) = 0;
    virtual void animationEnded(bool transitionCompleted) {}
};

class UIViewControllerTransitioningDelegate {
public:
    virtual ~UIViewControllerTransitioningDelegate() = default;
    // Null: the default presentation.
    virtual std::shared_ptr<UIViewControllerAnimatedTransitioning> animationControllerForPresentedController(
        UIViewController& presented, UIViewController& presenting, UIViewController& source) {
        return nullptr;
    }
    virtual std::shared_ptr<UIViewControllerAnimatedTransitioning> animationControllerForDismissedController(
        UIViewController& dismissed) {
        return nullptr;
    }
};
