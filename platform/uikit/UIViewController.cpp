#include "platform/uikit/UIViewController.h"

#include <algorithm>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewControllerPreviewing.h"
#include "platform/uikit/UIWindow.h"

namespace {

// The view `loadView` makes: it tells its controller around each layout.
class ControllerView : public UIView {
public:
    ControllerView(CGRect frame, UIViewController& controller) : UIView(frame), controller_(&controller) {}
    void layoutSubviews() override {
        if (controller_) controller_->viewWillLayoutSubviews();
        UIView::layoutSubviews();
        if (controller_) controller_->viewDidLayoutSubviews();
    }
    void forget() { controller_ = nullptr; }
    UIResponder* nextResponder() const override {
        return controller_ ? static_cast<UIResponder*>(controller_) : superview();
    }

private:
    UIViewController* controller_;
};

}  // namespace

UIViewController::UIViewController() = default;

UIViewController::~UIViewController() {
    if (auto* v = dynamic_cast<ControllerView*>(view_.get())) v->forget();
    for (auto& child : children_) child->parent_ = nullptr;
    unregisterAllPreviewing();
}

UIResponder* UIViewController::nextResponder() const { return view_ ? view_->superview() : nullptr; }

const std::shared_ptr<UIView>& UIViewController::view() {
    if (!view_) {
        loadView();
        if (!view_) view_ = std::make_shared<ControllerView>(UIScreen::mainScreen().bounds(), *this);
        viewDidLoad();
    }
    return view_;
}

void UIViewController::setView(std::shared_ptr<UIView> view) {
    if (auto* v = dynamic_cast<ControllerView*>(view_.get())) v->forget();
    view_ = std::move(view);
}

void UIViewController::loadView() { view_ = std::make_shared<ControllerView>(UIScreen::mainScreen().bounds(), *this); }

void UIViewController::beginAppearanceTransition(bool appearing, bool animated) {
    const int target = appearing ? 1 : 3;
    if (appearance_ == target || appearance_ == (appearing ? 2 : 0)) return;
    appearance_ = target;
    appearanceAnimated_ = animated;
    if (appearing) viewWillAppear(animated);
    else viewWillDisappear(animated);
    for (const auto& child : shownChildren()) child->beginAppearanceTransition(appearing, animated);
}

std::vector<std::shared_ptr<UIViewController>> UIViewController::shownChildren() const {
    std::vector<std::shared_ptr<UIViewController>> shown;
    for (const auto& child : children_)
        if (view_ && child->view_ && child->view_->isDescendantOfView(view_.get())) shown.push_back(child);
    return shown;
}

void UIViewController::endAppearanceTransition() {
    if (appearance_ == 1) {
        appearance_ = 2;
        viewDidAppear(appearanceAnimated_);
    } else if (appearance_ == 3) {
        appearance_ = 0;
        viewDidDisappear(appearanceAnimated_);
    } else {
        return;
    }
    for (const auto& child : children_) child->endAppearanceTransition();
}

void UIViewController::setTitle(const std::string& title) {
    title_ = title;
    navigationItem().setTitle(title);
}

UINavigationItem& UIViewController::navigationItem() {
    if (!navigationItem_) navigationItem_ = std::make_shared<UINavigationItem>(title_);
    return *navigationItem_;
}

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child) {
    if (!child || child.get() == this || child->parent_ == this) return;
    child->removeFromParentViewController();
    child->parent_ = this;
    children_.push_back(child);
}

void UIViewController::removeFromParentViewController() {
    UIViewController* parent = parent_;
    if (!parent) return;
    parent_ = nullptr;
    auto keep = shared_from_this();
    std::erase_if(parent->children_, [this](const auto& c) { return c.get() == this; });
}

UINavigationController* UIViewController::navigationController() {
    for (UIViewController* c = parent_; c; c = c->parent_)
        if (auto* nav = dynamic_cast<UINavigationController*>(c)) return nav;
    return nullptr;
}

void UIViewController::setPopoverSource(const std::shared_ptr<UIView>& view, CGRect rect) {
    popoverSourceView_ = view;
    popoverSourceRect_ = rect;
}

UIWindow* UIViewController::hostWindow() {
    for (UIViewController* c = this; c; c = c->presenting_ ? c->presenting_ : c->parent_)
        if (c->view_ && c->view_->window()) return c->view_->window();
    return UIWindow::keyWindow();
}
