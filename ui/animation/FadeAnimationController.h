#pragma once
// A cross-fade: the new view waits at the back of the container while the old one fades out.
// A cancelled fade leaves the old view in place at full opacity and completes with NO.
#include "ui/animation/TransitionAnimationController.h"

class FadeAnimationController : public TransitionAnimationController {
public:
    using TransitionAnimationController::animateTransition;
    void animateTransition(UIViewControllerContextTransitioning& context,
                           const std::shared_ptr<UIViewController>& fromViewController,
                           const std::shared_ptr<UIViewController>& toViewController,
                           const std::shared_ptr<UIView>& fromView, const std::shared_ptr<UIView>& toView) override;
};
