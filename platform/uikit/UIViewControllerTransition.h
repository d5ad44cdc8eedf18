#pragma once
// One modal presentation (UIViewController+Presentation.cpp), from the moment it starts until
// its dismissal ends; it serves as the context of the presenting transition and then of the
// dismissing one: the container over the window, where the presenting view goes back to, and
// the running animator.
#include <functional>
#include <memory>

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIViewController.h"

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
