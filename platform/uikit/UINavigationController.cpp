#include "platform/uikit/UINavigationController.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIToolbar.h"

namespace {

constexpr NSTimeInterval kSlideDuration = 0.35;
constexpr NSTimeInterval kBarDuration = 0.2;

}  // namespace

UINavigationController::UINavigationController(std::shared_ptr<UIViewController> root) {
    if (root) setViewControllers({std::move(root)});
}

UINavigationController::~UINavigationController() {
    if (bar_) bar_->setBackAction(nullptr);
}

const std::shared_ptr<UINavigationBar>& UINavigationController::navigationBar() {
    if (!bar_) {
        bar_ = std::make_shared<UINavigationBar>(
            CGRectMake(0, 0, UIScreen::mainScreen().bounds().size.width, UIBarStandardHeight));
        bar_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        bar_->setBackAction([this] { popViewControllerAnimated(true); });
    }
    return bar_;
}

const std::shared_ptr<UIToolbar>& UINavigationController::toolbar() {
    if (!toolbar_) {
        const CGRect screen = UIScreen::mainScreen().bounds();
        toolbar_ = std::make_shared<UIToolbar>(
            CGRectMake(0, screen.size.height - UIBarStandardHeight, screen.size.width, UIBarStandardHeight));
        toolbar_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
        toolbar_->setHidden(toolbarHidden_);
    }
    return toolbar_;
}

void UINavigationController::loadView() {
    UIViewController::loadView();
    view()->addSubview(navigationBar());
    view()->addSubview(toolbar());
    if (UIViewController* top = topViewController()) {
        top->view()->setFrame(contentFrame(*top));
        view()->insertSubview(top->view(), 0);
    }
}

CGRect UINavigationController::contentFrame(UIViewController& controller) {
    CGRect frame = view()->bounds();
    const bool underBar = (controller.edgesForExtendedLayout() & UIRectEdgeTop) && navigationBar()->isTranslucent();
    if (!barHidden_ && !underBar) {
        // Where the bar rests, at the top, not where an animation holds it for the moment (the
        // application lifts it out of sight while it changes the items): a layout during a lift
        // would leave the view under the bar once it is back.
        const CGFloat barBottom = navigationBar()->frame().size.height;
        frame.origin.y += barBottom, frame.size.height -= barBottom;
    }
    const bool underToolbar = (controller.edgesForExtendedLayout() & UIRectEdgeBottom) && toolbar()->isTranslucent();
    if (!toolbarHidden_ && !underToolbar) frame.size.height -= UIBarStandardHeight;
    return frame;
}

void UINavigationController::viewDidLayoutSubviews() {
    if (sliding_ > 0) return;
    if (UIViewController* top = topViewController(); top && top->isViewLoaded())
        top->view()->setFrame(contentFrame(*top));
}

void UINavigationController::syncBarItems(bool animated) {
    std::vector<std::shared_ptr<UINavigationItem>> items;
    for (const auto& c : stack_) items.push_back(c->navigationItem().shared_from_this());
    navigationBar()->setItems(std::move(items), animated);
}

void UINavigationController::setViewControllers(Controllers controllers, bool animated) {
    std::erase(controllers, nullptr);
    const std::shared_ptr<UIViewController> outgoing = stack_.empty() ? nullptr : stack_.back();
    for (const auto& c : stack_)
        if (std::find(controllers.begin(), controllers.end(), c) == controllers.end() && c != outgoing)
            c->removeFromParentViewController();
    stack_ = std::move(controllers);
    for (const auto& c : stack_) addChildViewController(c);
    const std::shared_ptr<UIViewController> incoming = stack_.empty() ? nullptr : stack_.back();
    syncBarItems(animated);
    if (incoming != outgoing) transition(outgoing, incoming, true, animated);
    if (outgoing && std::find(stack_.begin(), stack_.end(), outgoing) == stack_.end())
        outgoing->removeFromParentViewController();
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated) {
    if (!controller || std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) return;
    const std::shared_ptr<UIViewController> outgoing = stack_.empty() ? nullptr : stack_.back();
    stack_.push_back(controller);
    addChildViewController(controller);
    syncBarItems(animated);
    transition(outgoing, controller, true, animated);
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
    if (stack_.size() < 2) return nullptr;
    auto popped = stack_.back();
    stack_.pop_back();
    syncBarItems(animated);
    transition(popped, stack_.back(), false, animated);
    popped->removeFromParentViewController();
    return popped;
}

UINavigationController::Controllers UINavigationController::popToRootViewControllerAnimated(bool animated) {
    if (stack_.size() < 2) return {};
    Controllers popped(stack_.begin() + 1, stack_.end());
    const auto outgoing = stack_.back();
    stack_.resize(1);
    syncBarItems(animated);
    transition(outgoing, stack_.front(), false, animated);
    for (const auto& c : popped) c->removeFromParentViewController();
    return popped;
}

void UINavigationController::transition(const std::shared_ptr<UIViewController>& outgoing,
                                        const std::shared_ptr<UIViewController>& incoming, bool forward,
                                        bool animated) {
    if (!isViewLoaded()) return;  // the top controller's view goes in when the view loads
    const bool shown = isAppearing();
    animated = animated && shown && view()->window();
    const auto& container = view();
    if (incoming) {
        const CGRect frame = contentFrame(*incoming);
        incoming->view()->setFrame(animated && forward ? CGRectOffset(frame, frame.size.width, 0) : frame);
        if (outgoing && outgoing->isViewLoaded() && outgoing->view()->superview() == container.get())
            container->insertSubviewAbove(incoming->view(), outgoing->view().get());
        else container->insertSubviewBelow(incoming->view(), navigationBar().get());
        if (!forward && outgoing && outgoing->isViewLoaded()) container->bringSubviewToFront(outgoing->view().get());
        container->bringSubviewToFront(navigationBar().get());
        container->bringSubviewToFront(toolbar().get());
    }
    if (shown) {
        if (outgoing) outgoing->beginAppearanceTransition(false, animated);
        if (incoming) incoming->beginAppearanceTransition(true, animated);
    }
    auto finish = [shown, outgoing, incoming] {
        if (outgoing && outgoing->isViewLoaded() && outgoing != incoming) outgoing->view()->removeFromSuperview();
        if (!shown) return;
        if (outgoing) outgoing->endAppearanceTransition();
        if (incoming) incoming->endAppearanceTransition();
    };
    if (!animated) {
        finish();
        return;
    }
    ++sliding_;
    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    const CGFloat width = container->bounds().size.width;
    std::weak_ptr<UIViewController> weakSelf = shared_from_this();
    UIView::animateWithDuration(
        kSlideDuration, 0, UIViewAnimationOptionCurveEaseInOut,
        [&] {
            if (forward) {
                incoming->view()->setFrame(contentFrame(*incoming));
                if (outgoing)
                    outgoing->view()->setCenter(
                        CGPointMake(outgoing->view()->center().x - width / 3, outgoing->view()->center().y));
            } else {
                if (outgoing)
                    outgoing->view()->setCenter(
                        CGPointMake(outgoing->view()->center().x + width, outgoing->view()->center().y));
            }
        },
        [weakSelf, finish, outgoing](bool) {
            if (outgoing && outgoing->isViewLoaded()) {
                // Back where a later push expects it.
                auto self = weakSelf.lock();
                if (self)
                    outgoing->view()->setFrame(static_cast<UINavigationController&>(*self).contentFrame(*outgoing));
            }
            finish();
            UIApplication::sharedApplication().endIgnoringInteractionEvents();
            if (auto self = weakSelf.lock()) --static_cast<UINavigationController&>(*self).sliding_;
        });
}

void UINavigationController::setNavigationBarHidden(bool hidden, bool animated) {
    if (hidden == barHidden_) return;
    barHidden_ = hidden;
    const auto& bar = navigationBar();
    CGRect frame = bar->frame();
    frame.origin.y = hidden ? -frame.size.height : 0;
    auto apply = [this, bar, frame] {
        bar->setFrame(frame);
        if (UIViewController* top = topViewController(); top && top->isViewLoaded())
            top->view()->setFrame(contentFrame(*top));
    };
    if (!hidden) bar->setHidden(false);
    if (!animated || !isViewLoaded()) {
        apply();
        bar->setHidden(hidden);
        return;
    }
    std::weak_ptr<UIView> weakBar = bar;
    UIView::animateWithDuration(kBarDuration, apply, [this, weakBar, hidden](bool) {
        if (auto b = weakBar.lock(); b && barHidden_ == hidden) b->setHidden(hidden);
    });
}

void UINavigationController::setToolbarHidden(bool hidden, bool animated) {
    if (hidden == toolbarHidden_) return;
    toolbarHidden_ = hidden;
    toolbar()->setHidden(hidden);
    if (UIViewController* top = topViewController(); top && top->isViewLoaded())
        top->view()->setFrame(contentFrame(*top));
}
