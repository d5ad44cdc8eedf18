#pragma once
// A zoom: presenting, the old screen tips back in perspective and shrinks while the new one
// rises from the bottom edge; dismissing, the old screen comes forward again while the
// dismissed one drops out of sight. It completes with NO when the transition was cancelled.
#include "platform/quartzcore/CATransform3D.h"
#include "ui/animation/TransitionAnimationController.h"

class ZoomAnimationController : public TransitionAnimationController {
public:
    using TransitionAnimationController::animateTransition;
    void animateTransition(UIViewControllerContextTransitioning& context,
                           const std::shared_ptr<UIViewController>& fromViewController,
                           const std::shared_ptr<UIViewController>& toViewController,
                           const std::shared_ptr<UIView>& fromView, const std::shared_ptr<UIView>& toView) override;
    void presentTransition(UIViewControllerContextTransitioning& context,
                           const std::shared_ptr<UIViewController>& fromViewController,
                           const std::shared_ptr<UIViewController>& toViewController,
                           const std::shared_ptr<UIView>& fromView, const std::shared_ptr<UIView>& toView);
    void dismissTransition(UIViewControllerContextTransitioning& context,
                           const std::shared_ptr<UIViewController>& fromViewController,
                           const std::shared_ptr<UIViewController>& toViewController,
                           const std::shared_ptr<UIView>& fromView, const std::shared_ptr<UIView>& toView);
    // Perspective (m34 = -1/900), scaled to 0.95 and tipped back by 15 degrees about x.
    CATransform3D firstTransform() const;
    // The same perspective, scaled to 0.75 (the view is not used).
    CATransform3D secondTransformWithView(const UIView* view) const;
};
