#include "ui/animation/ViewUtility.h"

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/foundation/TargetActionBlock.h"

namespace {

constexpr double kBackdropAlpha = 0.4;

struct Backdrop {
    std::weak_ptr<UIButton> button;  // held by its place in the view tree
    std::shared_ptr<TargetActionBlock> dismissTarget;
    bool fadingOut = false;
};

Backdrop& state() {
    static Backdrop backdrop;
    return backdrop;
}

// Takes the backdrop away at once and forgets it and its action.
void removeBackdrop() {
    Backdrop& s = state();
    if (auto button = s.button.lock()) button->removeFromSuperview();
    s.button.reset();
    s.dismissTarget.reset();
    s.fadingOut = false;
}

}  // namespace

void ViewUtility::presentFullScreenView(Completion completion, DismissAction dismissAction) {
    presentFullScreenView(true, std::move(completion), std::move(dismissAction));
}

void ViewUtility::presentFullScreenView(bool animated, Completion completion, DismissAction dismissAction) {
    presentFullScreenView(animated, ColorUtility::colorWithColor(UIColor::blackColor(), kBackdropAlpha),
                          std::move(completion), std::move(dismissAction));
}

void ViewUtility::presentFullScreenView(bool animated, const UIColor& backgroundColor, Completion completion,
                                        DismissAction dismissAction) {
    Backdrop& s = state();
    if (auto existing = s.button.lock()) {
        if (!s.fadingOut) {
            if (completion) completion(existing);
            return;
        }
        removeBackdrop();  // a dismissal on its way out ends now
    }
    UIWindow* window = UIWindow::keyWindow();
    if (!window || !window->rootViewController()) return;
    const auto& root = window->rootViewController()->view();
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(root->bounds());
    button->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    button->setBackgroundColor(backgroundColor);
    if (dismissAction) {
        s.dismissTarget =
            TargetActionBlock::targetActionBlock([action = std::move(dismissAction)](NSObject&) { action(); });
        button->addTarget(
            s.dismissTarget.get(),
            [raw = s.dismissTarget.get()](UIControl& sender, const UIEvent*) { raw->action(sender); },
            UIControlEventTouchUpInside);
    }
    root->addSubview(button);
    s.button = button;
    if (!animated) {
        if (completion) completion(button);
        return;
    }
    std::weak_ptr<UIButton> weak = button;
    AnimationUtility::animateView(button, AnimationUtility::fadeIn(), [weak, completion](bool) {
        if (auto b = weak.lock(); b && completion) completion(b);
    });
}

void ViewUtility::dismissFullScreenViewWithDismissAction() {
    if (auto target = state().dismissTarget) {
        NSObject none;  // the action's sender: nobody
        target->action(none);
    }
}

void ViewUtility::dismissFullScreenView() { dismissFullScreenViewAnimated(true); }

void ViewUtility::dismissFullScreenViewAnimated(bool animated) {
    Backdrop& s = state();
    auto button = s.button.lock();
    if (!button) return;
    if (!animated) {
        removeBackdrop();
        return;
    }
    if (s.fadingOut) return;
    s.fadingOut = true;
    std::weak_ptr<UIButton> fading = button;
    AnimationUtility::animateView(button, AnimationUtility::fadeOut(), [fading](bool) {
        // Only the backdrop this fade took away: a newer one stays.
        auto b = fading.lock();
        if (b && state().button.lock() == b) removeBackdrop();
        else if (b) b->removeFromSuperview();
    });
}

std::shared_ptr<UIView> ViewUtility::fullScreenView() { return state().button.lock(); }

void ViewUtility::fadeOutAndRemoveViewOfController(const std::shared_ptr<UIViewController>& controller,
                                                   double duration) {
    constexpr double kDamping = 0.8, kVelocity = 1.0;
    const std::shared_ptr<UIView> view = controller->view();
    UIView::animateWithDuration(
        duration, 0, kDamping, kVelocity, 0, [view] { view->setAlpha(0); },
        [view, controller](bool) { view->removeFromSuperview(); });
}
