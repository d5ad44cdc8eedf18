#include "ui/animation/FadeAnimationController.h"

#include "platform/uikit/UIView.h"

void FadeAnimationController::animateTransition(UIViewControllerContextTransitioning& context,
                                                const std::shared_ptr<UIViewController>&,
                                                const std::shared_ptr<UIViewController>&,
                                                const std::shared_ptr<UIView>& fromView,
                                                const std::shared_ptr<UIView>& toView) {
    const auto& container = context.containerView();
    container->addSubview(toView);
    container->sendSubviewToBack(toView.get());
    UIView::animateWithDuration(
        transitionDuration(&context), [fromView] { fromView->setAlpha(0); },
        [&context, fromView](bool) {
            const bool cancelled = context.transitionWasCancelled();
            if (!cancelled) fromView->removeFromSuperview();
            fromView->setAlpha(1);
            context.completeTransition(!cancelled);
        });
}
