// Modal presentation and dismissal on a transition context (see UIViewController.h).
#include <algorithm>
#include <cstdio>

#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewControllerTransition.h"
#include "platform/uikit/UIWindow.h"

namespace {

UIViewController* topAncestor(UIViewController* c) {
    while (c->parentViewController()) c = c->parentViewController();
    return c;
}

}  // namespace

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                                             std::function<void()> completion) {
    if (auto alert = std::dynamic_pointer_cast<UIAlertController>(controller)) {
        alert->showAlert(std::move(completion));  // the modal alert view, not a controller's view
        return;
    }
    if (auto sheet = std::dynamic_pointer_cast<UIActivityViewController>(controller)) {
        sheet->showSheet(topAncestor(this)->shared_from_this(), std::move(completion));  // the modal list, too
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
