#pragma once
// The root of a view tree shown on the screen. A view knows its window through its chain of
// superviews, and hears `willMoveToWindow`/`didMoveToWindow` when it enters or leaves one.
// One window at a time is the key window (it receives keyboard-like events later).
#include "platform/uikit/UIView.h"

class UIViewController;

class UIWindow : public UIView {
public:
    explicit UIWindow(CGRect frame = CGRectZero);
    ~UIWindow() override;

    // Makes the window the key window and shows it.
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const { return keyWindow() == this; }
    // The key window, or null.
    static UIWindow* keyWindow();

    // The controller whose view fills the window; setting one replaces the earlier one's view.
    const std::shared_ptr<UIViewController>& rootViewController() const { return rootViewController_; }
    void setRootViewController(std::shared_ptr<UIViewController> controller);

private:
    std::shared_ptr<UIViewController> rootViewController_;
};
