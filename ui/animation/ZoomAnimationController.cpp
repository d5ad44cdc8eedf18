#include "ui/animation/ZoomAnimationController.h"

#include <numbers>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIView.h"

namespace {

constexpr double kPerspectiveDistance = 900;
constexpr double kFirstScale = 0.95, kSecondScale = 0.75, kDismissStartScale = 0.6;
constexpr double kTipAngle = std::numbers::pi / 12;
constexpr double kTippedAlpha = 0.6;
constexpr double kNavigationBarHeight = 44;

// The container's frame, below the navigation bar when the new controller shows one at the top.
CGRect targetFrame(UIViewControllerContextTransitioning& context, UIViewController& to) {
    CGRect frame = context.containerView()->frame();
    UINavigationController* nav = to.navigationController();
    if (frame.origin.y == 0 && nav && !nav->isNavigationBarHidden()) {
        frame.origin.y += kNavigationBarHeight;
        frame.size.height -= kNavigationBarHeight;
    }
    return frame;
}

// The container's frame moved just below its bottom edge.
CGRect belowContainer(UIViewControllerContextTransitioning& context) {
    CGRect frame = context.containerView()->frame();
    frame.origin.y = context.containerView()->bounds().size.height;
    return frame;
}

}  // namespace

CATransform3D ZoomAnimationController::firstTransform() const {
    CATransform3D t = CATransform3DIdentity;
    t.m34 = -1 / kPerspectiveDistance;
    t = CATransform3DScale(t, kFirstScale, kFirstScale, 1);
    return CATransform3DRotate(t, kTipAngle, 1, 0, 0);
}

CATransform3D ZoomAnimationController::secondTransformWithView(const UIView*) const {
    CATransform3D t = CATransform3DIdentity;
    t.m34 = firstTransform().m34;
    return CATransform3DScale(t, kSecondScale, kSecondScale, 1);
}

void ZoomAnimationController::animateTransition(UIViewControllerContextTransitioning& context,
                                                const std::shared_ptr<UIViewController>& fromViewController,
                                                const std::shared_ptr<UIViewController>& toViewController,
                                                const std::shared_ptr<UIView>& fromView,
                                                const std::shared_ptr<UIView>& toView) {
    if (reverse()) dismissTransition(context, fromViewController, toViewController, fromView, toView);
    else presentTransition(context, fromViewController, toViewController, fromView, toView);
}

void ZoomAnimationController::presentTransition(UIViewControllerContextTransitioning& context,
                                                const std::shared_ptr<UIViewController>&,
                                                const std::shared_ptr<UIViewController>& toViewController,
                                                const std::shared_ptr<UIView>& fromView,
                                                const std::shared_ptr<UIView>& toView) {
    const double d = transitionDuration(&context), half = d / 2;
    const auto& container = context.containerView();
    container->insertSubviewAbove(toView, fromView.get());
    toView->setFrame(belowContainer(context));
    const CATransform3D first = firstTransform(), second = secondTransformWithView(fromView.get());
    UIView::animateKeyframesWithDuration(
        half, 0, 0,
        [&] {
            UIView::addKeyframeWithRelativeStartTime(0, 0.5, [&] {
                fromView->setLayerTransform(first);
                fromView->setAlpha(kTippedAlpha);
            });
            UIView::addKeyframeWithRelativeStartTime(0.5, 0.5, [&] { fromView->setLayerTransform(second); });
        },
        nullptr);
    const CGRect target = targetFrame(context, *toViewController);
    UIView::animateWithDuration(
        d, half - 0.3 * half, 0, [&] { toView->setFrame(target); },
        [&context](bool) { context.completeTransition(!context.transitionWasCancelled()); });
}

void ZoomAnimationController::dismissTransition(UIViewControllerContextTransitioning& context,
                                                const std::shared_ptr<UIViewController>&,
                                                const std::shared_ptr<UIViewController>& toViewController,
                                                const std::shared_ptr<UIView>& fromView,
                                                const std::shared_ptr<UIView>& toView) {
    const double d = transitionDuration(&context), half = d / 2;
    const auto& container = context.containerView();
    container->insertSubviewBelow(toView, fromView.get());
    toView->setFrame(targetFrame(context, *toViewController));
    toView->setLayerTransform(CATransform3DMakeScale(kDismissStartScale, kDismissStartScale, 1));
    toView->setAlpha(kTippedAlpha);
    const CATransform3D first = firstTransform();
    UIView::animateKeyframesWithDuration(
        half, half - 0.3 * half, 0,
        [&] {
            UIView::addKeyframeWithRelativeStartTime(0, 0.5, [&] {
                toView->setLayerTransform(first);
                toView->setAlpha(1);
            });
            UIView::addKeyframeWithRelativeStartTime(0.5, 0.5,
                                                     [&] { toView->setLayerTransform(CATransform3DIdentity); });
        },
        [&context](bool) { context.completeTransition(!context.transitionWasCancelled()); });
    const CGRect below = belowContainer(context);
    UIView::animateWithDuration(half, [&] { fromView->setFrame(below); });
}
