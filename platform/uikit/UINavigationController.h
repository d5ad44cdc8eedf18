#pragma once
// A stack of controllers under a 44-point navigation bar (there is no status bar): the top
// controller's view fills the rest of the screen, starting below the bar's resting place
// (wherever an animation moves the bar meanwhile) unless the bar is hidden or the controller
// extends its layout under a translucent bar; likewise above the toolbar when that is shown. Pushing slides the new view in from the right edge, popping
// slides it out again (0.35 s); touches are ignored while a slide runs. The bar shows the
// navigation items of the stack, its back item pops.
#include <memory>
#include <vector>

#include "platform/uikit/UIViewController.h"

class UINavigationBar;
class UIToolbar;

class UINavigationController : public UIViewController {
public:
    using Controllers = std::vector<std::shared_ptr<UIViewController>>;

    explicit UINavigationController(std::shared_ptr<UIViewController> root = nullptr);
    ~UINavigationController() override;

    const Controllers& viewControllers() const { return stack_; }
    void setViewControllers(Controllers controllers, bool animated = false);
    UIViewController* topViewController() const { return stack_.empty() ? nullptr : stack_.back().get(); }
    void pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated);
    // The popped controller, or null at the root.
    std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    Controllers popToRootViewControllerAnimated(bool animated);

    const std::shared_ptr<UINavigationBar>& navigationBar();
    bool isNavigationBarHidden() const { return barHidden_; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    const std::shared_ptr<UIToolbar>& toolbar();
    bool isToolbarHidden() const { return toolbarHidden_; }
    void setToolbarHidden(bool hidden, bool animated = false);

    // Where the top controller's view goes, in the navigation controller's view.
    CGRect contentFrame(UIViewController& controller);

    void loadView() override;
    void viewDidLayoutSubviews() override;

private:
    // Shows `incoming` in place of `outgoing`, sliding from the right (forward) or the left.
    void transition(const std::shared_ptr<UIViewController>& outgoing,
                    const std::shared_ptr<UIViewController>& incoming, bool forward, bool animated);
    void syncBarItems(bool animated);

    Controllers stack_;
    std::shared_ptr<UINavigationBar> bar_;
    std::shared_ptr<UIToolbar> toolbar_;
    bool barHidden_ = false, toolbarHidden_ = true;
    int sliding_ = 0;
};
