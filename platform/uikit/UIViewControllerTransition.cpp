#include "platform/uikit/UIViewControllerTransition.h"

#include <algorithm>

#include "platform/uikit/UIApplication.h"

namespace {

constexpr NSTimeInterval kSlideDuration = 0.3;

}  // namespace

CGRect UIViewControllerTransition::presentedFrame() const {
    const CGRect bounds = container_->bounds();
    if (!panel_) return bounds;
    auto p = presented_.lock();
    CGSize size = p->preferredContentSize();
    if (size.width <= 0 || size.height <= 0) size = {320, 480};
    size.width = std::min(size.width, bounds.size.width), size.height = std::min(size.height, bounds.size.height);
    // Under the anchor, centred on it, kept on the screen; above it when there is no room below.
    CGRect anchor = p->popoverSourceRect();
    if (UIView* source = p->popoverSourceView()) anchor = source->convertRectToView(anchor, container_.get());
    else anchor = {{CGRectGetMidX(bounds), CGRectGetMidY(bounds)}, CGSizeZero};
    double y = CGRectGetMaxY(anchor);
    if (y + size.height > CGRectGetMaxY(bounds)) y = std::max(0.0, CGRectGetMinY(anchor) - size.height);
    const double x = std::clamp(CGRectGetMidX(anchor) - size.width / 2, 0.0, bounds.size.width - size.width);
    return {{x, y}, size};
}

void UIViewControllerTransition::run(bool dismissing, bool animated,
                                     std::shared_ptr<UIViewControllerAnimatedTransitioning> animator,
                                     std::function<void()> completion) {
    dismissing_ = dismissing, animated_ = animated, cancelled_ = false, running_ = true;
    animator_ = std::move(animator);
    completion_ = std::move(completion);
    auto presented = presented_.lock();
    presented->transitioning_ = true;
    presented->dismissing_ = dismissing;
    const auto presentingView = presenting_->view();
    const auto presentedView = presented->view();

    presented->beginAppearanceTransition(!dismissing, animated);
    if (!panel_) presenting_->beginAppearanceTransition(dismissing, animated);

    if (!dismissing && !panel_ && presentingView->superview()) {
        homeSuperview_ = presentingView->superview();
        const auto& siblings = homeSuperview_->subviews();
        homeIndex_ =
            static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), presentingView) - siblings.begin());
        container_->addSubview(presentingView);
    }
    // Touches wait while the screens move.
    ignoring_ = animated;
    if (animated) UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    if (animator_ && animated) {
        animator_->animateTransition(*this);
        return;
    }
    // The default: the presented view slides up from the bottom edge, and down on dismissal.
    const CGRect shown = presentedFrame();
    const CGRect below = CGRectOffset(shown, 0, container_->bounds().size.height - shown.origin.y);
    if (dismissing && !panel_ && !presentingView->isDescendantOfView(container_.get()))
        container_->insertSubviewBelow(presentingView, presentedView.get());
    if (!dismissing) {
        container_->addSubview(presentedView);
        presentedView->setFrame(animated ? below : shown);
    }
    if (!animated) {
        if (dismissing) presentedView->setFrame(below);
        completeTransition(true);
        return;
    }
    std::weak_ptr<UIView> weakView = presentedView;
    UIView::animateWithDuration(
        kSlideDuration, 0, UIViewAnimationOptionCurveEaseInOut,
        [&] { presentedView->setFrame(dismissing ? below : shown); },
        [this, keep = presented](bool) { completeTransition(!cancelled_); });
}

void UIViewControllerTransition::completeTransition(bool didComplete) {
    if (!running_) return;
    running_ = false;
    if (ignoring_) UIApplication::sharedApplication().endIgnoringInteractionEvents();
    ignoring_ = false;
    auto presented = presented_.lock();
    if (!presented) return;
    auto keepSelf = presented->presentation_;
    auto keepPresenting = presenting_->shared_from_this();
    const auto presentingView = presenting_->view();
    const auto presentedView = presented->view();
    const bool presentedGoes = dismissing_ == didComplete;  // dismissed, or its presentation cancelled
    presented->transitioning_ = false;

    if (presentedGoes) {
        // Back to the state before the presentation: the presenting view where it was.
        if (!panel_ && homeSuperview_) {
            presentingView->removeFromSuperview();
            homeSuperview_->insertSubview(presentingView, std::min(homeIndex_, homeSuperview_->subviews().size()));
        }
        presentedView->removeFromSuperview();
        container_->removeFromSuperview();
    } else if (!panel_) {
        // The presented view covers the screen: the presenting one leaves it.
        presentingView->removeFromSuperview();
    }
    if (!didComplete) {
        // The other way round: each controller's appearance goes back.
        presented->beginAppearanceTransition(dismissing_, false);
        if (!panel_) presenting_->beginAppearanceTransition(!dismissing_, false);
    }
    presented->endAppearanceTransition();
    if (!panel_) presenting_->endAppearanceTransition();
    auto animator = std::move(animator_);
    auto completion = std::move(completion_);
    if (presentedGoes) {
        presenting_->presented_ = nullptr;
        presented->presenting_ = nullptr;
        presented->presentation_ = nullptr;
    }
    if (animator) animator->animationEnded(didComplete);
    if (didComplete && completion) completion();
}
