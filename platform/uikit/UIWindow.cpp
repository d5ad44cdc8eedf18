#include "platform/uikit/UIWindow.h"

#include "platform/uikit/UIViewController.h"

namespace {

UIWindow*& key() {
    static UIWindow* window = nullptr;
    return window;
}

}  // namespace

UIWindow::UIWindow(CGRect frame) : UIView(frame) {}

UIWindow::~UIWindow() {
    if (key() == this) key() = nullptr;
}

void UIWindow::makeKeyAndVisible() {
    makeKeyWindow();
    setHidden(false);
}

void UIWindow::makeKeyWindow() { key() = this; }

UIWindow* UIWindow::keyWindow() { return key(); }

void UIWindow::setRootViewController(std::shared_ptr<UIViewController> controller) {
    if (controller == rootViewController_) return;
    auto old = std::move(rootViewController_);
    rootViewController_ = std::move(controller);
    if (old && old->isViewLoaded()) {
        old->beginAppearanceTransition(false, false);
        old->view()->removeFromSuperview();
        old->endAppearanceTransition();
    }
    if (!rootViewController_) return;
    const auto& view = rootViewController_->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    rootViewController_->beginAppearanceTransition(true, false);
    insertSubview(view, 0);
    rootViewController_->endAppearanceTransition();
}
