// Modal presentation and dismissal on a transition context (see UIViewController.h).
#include <algorithm>
#include <cstdio>

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

namespace {

constexpr NSTimeInterval kSlideDuration = 0.3;

UIViewController* topAncestor(UIViewController* c) {
    while (c->parentViewController()) c = c->parentViewController();
    return c;
}

}  // namespace

// One presentation from the moment it starts until its dismissal ends; it serves as the
// context of the presenting transition and then of the dismissing one.
class UIViewControllerTransition : public UIViewControllerContextTransitioning {
public:
    UIViewControllerTransition(UIViewController& presenting, UIViewController& presented, bool panel)
        : presenting_(&presenting), presented_(presented.weak_from_this()), panel_(panel) {}

    const std::shared_ptr<UIView>& containerView() const override { return container_; }
    std::shared_ptr<UIViewController> viewControllerForKey(const std::string& key) const override {
        if (key == UITransitionContextFromViewControllerKey) return from();
        if (key == UITransitionContextToViewControllerKey) return to();
        return nullptr;
    }
    std::shared_ptr<UIView> viewForKey(const std::string& key) const override {
        // The presenting view takes part only when it leaves the screen (not under a panel).
        const bool presentingSide = (key == UITransitionContextFromViewKey) != dismissing_;
        if (key != UITransitionContextFromViewKey && key != UITransitionContextToViewKey) return nullptr;
        if (presentingSide) return panel_ ? nullptr : presenting_->view();
        auto p = presented_.lock();
        return p ? p->view() : nullptr;
    }
    bool isAnimated() const override { return animated_; }
    bool transitionWasCancelled() const override { return cancelled_; }
    void cancelInteractiveTransition() override { cancelled_ = true; }
    void completeTransition(bool didComplete) override;

    std::shared_ptr<UIViewController> from() const {
        return dismissing_ ? presented_.lock() : presenting_->shared_from_this();
    }
    std::shared_ptr<UIViewController> to() const {
        return dismissing_ ? presenting_->shared_from_this() : presented_.lock();
    }

    // Starts the presenting (or, later, the dismissing) transition.
    void run(bool dismissing, bool animated, std::shared_ptr<UIViewControllerAnimatedTransitioning> animator,
             std::function<void()> completion);

    CGRect presentedFrame() const;

    UIViewController* presenting_;
    std::weak_ptr<UIViewController> presented_;
    bool panel_;
    std::shared_ptr<UIView> container_;
    UIView* homeSuperview_ = nullptr;  // where the presenting view goes back to
    std::size_t homeIndex_ = 0;
    bool dismissing_ = false, animated_ = false, cancelled_ = false, running_ = false, ignoring_ = false;
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animator_;
    std::function<void()> completion_;
};

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
        homeIndex_ = static_cast<std::size_t>(
            std::find(siblings.begin(), siblings.end(), presentingView) - siblings.begin());
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
    UIView::animateWithDuration(kSlideDuration, 0, UIViewAnimationOptionCurveEaseInOut,
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

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                                             std::function<void()> completion) {
    if (auto alert = std::dynamic_pointer_cast<UIAlertController>(controller)) {
        alert->showAlert(std::move(completion));  // the modal alert view, not a controller's view
        return;
    }
    UIViewController* presenting = topAncestor(this);
    if (!controller || controller.get() == presenting || controller->presenting_ || controller->parent_) {
        std::fprintf(stderr, "presentViewController: the controller is already shown\n");
        return;
    }
    if (presenting->presented_ || presenting->transitioning_) {
        std::fprintf(stderr, "presentViewController: a controller is already presented or on its way\n");
        return;
    }
    UIWindow* window = presenting->hostWindow();
    if (!window) {
        std::fprintf(stderr, "presentViewController: no window to present in\n");
        return;
    }
    const bool panel = controller->modalPresentationStyle_ == UIModalPresentationStyle::Popover &&
                       UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
    auto transition = std::make_shared<UIViewControllerTransition>(*presenting, *controller, panel);
    transition->container_ = std::make_shared<UIView>(window->bounds());
    transition->container_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    window->addSubview(transition->container_);
    presenting->presented_ = controller;
    controller->presenting_ = presenting;
    controller->presentation_ = transition;
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animator;
    if (auto delegate = controller->transitioningDelegate())
        animator = delegate->animationControllerForPresentedController(*controller, *presenting, *this);
    transition->run(false, animated, std::move(animator), std::move(completion));
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion) {
    UIViewController* self = topAncestor(this);
    std::shared_ptr<UIViewController> presented =
        self->presented_ ? self->presented_ : (self->presenting_ ? self->shared_from_this() : nullptr);
    if (!presented || !presented->presentation_) return;
    if (presented->transitioning_) {
        std::fprintf(stderr, "dismissViewControllerAnimated: a transition is still running\n");
        return;
    }
    // What the dismissed controller presents goes first, at once.
    if (presented->presented_) presented->dismissViewControllerAnimated(false);
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animator;
    if (auto delegate = presented->transitioningDelegate())
        animator = delegate->animationControllerForDismissedController(*presented);
    auto transition = presented->presentation_;
    transition->run(true, animated, std::move(animator), std::move(completion));
}
