#include "platform/uikit/UIWindow.h"

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
