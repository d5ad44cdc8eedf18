#pragma once
// Animators of custom controller transitions, configured before use (`reverse` for a
// dismissal, `duration`) and keeping nothing between transitions. The base takes the two
// controllers and views from the context and hands them to the form its subclasses replace.
#include <memory>

#include "platform/uikit/UIViewControllerTransitioning.h"

class UIView;
class UIViewController;

class TransitionAnimationController : public UIViewControllerAnimatedTransitioning {
public:
    TransitionAnimationController() = default;

    bool reverse() const { return reverse_; }
    void setReverse(bool reverse) { reverse_ = reverse; }
    double duration() const { return duration_; }
    void setDuration(double duration) { duration_ = duration; }

    NSTimeInterval transitionDuration(UIViewControllerContextTransitioning* context) override { return duration_; }
    void animateTransition(UIViewControllerContextTransitioning& context) override;
    virtual void animateTransition(UIViewControllerContextTransitioning& context,
                                   const std::shared_ptr<UIViewController>& fromViewController,
                                   const std::shared_ptr<UIViewController>& toViewController,
                                   const std::shared_ptr<UIView>& fromView, const std::shared_ptr<UIView>& toView) {}

private:
    bool reverse_ = false;
    // Single precision widened, as the stored default is.
    double duration_ = static_cast<double>(0.4f);
};
