#include "ui/animation/TransitionAnimationController.h"

#include "platform/uikit/UIViewController.h"

void TransitionAnimationController::animateTransition(UIViewControllerContextTransitioning& context) {
    const auto from = context.viewControllerForKey(UITransitionContextFromViewControllerKey);
    const auto to = context.viewControllerForKey(UITransitionContextToViewControllerKey);
    if (!from || !to) return;
    animateTransition(context, from, to, from->view(), to->view());
}
