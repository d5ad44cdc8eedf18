#pragma once
// Controllers: each manages one view, made on first request (`loadView`, then `viewDidLoad`),
// and hears when it appears, disappears and lays out. Controllers nest (a navigation
// controller's children) and present others modally:
//
// - Full screen (the phone's way): the presented view covers the window; the presenting
//   controller's view leaves the window until the dismissal puts it back where it was.
// - A panel (`UIModalPresentationPopover` on the pad): the presented view is shown at
//   `preferredContentSize` under the anchor rectangle of the source view, over the rest.
//
// Both run on a transition context: the presented controller's transitioning delegate may vend
// an animator; without one an animated presentation slides the view up from the bottom edge
// (down on dismissal) in 0.3 s. Touches are ignored while an animated one runs. A presentation or dismissal asked for while another runs is
// refused (logged), as is presenting a controller that is already presented.
//
// UIViewController+Presentation.cpp holds the modal presentation, UIViewControllerTransition.h
// its transition context.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIPreviewAction.h"
#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewControllerTransitioning.h"

class UIView;
class UINavigationController;
class UINavigationItem;
class UIWindow;
class UIViewControllerTransition;
class UIViewControllerPreviewing;
class UIViewControllerPreviewingDelegate;

using UIRectEdge = unsigned;
inline constexpr UIRectEdge UIRectEdgeNone = 0;
inline constexpr UIRectEdge UIRectEdgeTop = 1 << 0;
inline constexpr UIRectEdge UIRectEdgeLeft = 1 << 1;
inline constexpr UIRectEdge UIRectEdgeBottom = 1 << 2;
inline constexpr UIRectEdge UIRectEdgeRight = 1 << 3;
inline constexpr UIRectEdge UIRectEdgeAll = 15;

enum class UIModalPresentationStyle { FullScreen = 0, PageSheet = 1, FormSheet = 2, Custom = 4, Popover = 7 };

class UIViewController : public UIResponder, public std::enable_shared_from_this<UIViewController> {
public:
    UIViewController();
    ~UIViewController() override;
    UIViewController(const UIViewController&) = delete;
    UIViewController& operator=(const UIViewController&) = delete;

    // In the responder chain above its view (the one `loadView` made): touches it does not
    // handle go on to the view's superview.
    UIResponder* nextResponder() const override;

    // ---- The view ------------------------------------------------------------------------
    // Loads the view on first request.
    const std::shared_ptr<UIView>& view();
    bool isViewLoaded() const { return view_ != nullptr; }
    void setView(std::shared_ptr<UIView> view);
    // Makes the view; the base makes a plain view of the screen's size.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated) {}
    virtual void viewDidAppear(bool animated) {}
    virtual void viewWillDisappear(bool animated) {}
    virtual void viewDidDisappear(bool animated) {}
    // Around each layout of the view (for views that `loadView` made).
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}
    // Stand-in internals: sends the appearance callbacks, and their own to the children.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();
    // Whether the view is on screen (or on its way there).
    bool isAppearing() const { return appearance_ == 1 || appearance_ == 2; }

    const std::string& title() const { return title_; }
    // Also the navigation item's title.
    virtual void setTitle(const std::string& title);
    UINavigationItem& navigationItem();

    UIRectEdge edgesForExtendedLayout() const { return edgesForExtendedLayout_; }
    void setEdgesForExtendedLayout(UIRectEdge edges) { edgesForExtendedLayout_ = edges; }
    bool automaticallyAdjustsScrollViewInsets() const { return adjustsScrollViewInsets_; }
    void setAutomaticallyAdjustsScrollViewInsets(bool adjusts) { adjustsScrollViewInsets_ = adjusts; }
    CGSize preferredContentSize() const { return preferredContentSize_; }
    void setPreferredContentSize(CGSize size) { preferredContentSize_ = size; }

    // ---- Containment ---------------------------------------------------------------------
    UIViewController* parentViewController() const { return parent_; }
    const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const { return children_; }
    void addChildViewController(const std::shared_ptr<UIViewController>& child);
    void removeFromParentViewController();
    // The nearest navigation controller among this controller and its parents.
    UINavigationController* navigationController();

    // ---- Modal presentation (UIViewController+Presentation.cpp) ---------------------------
    UIModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
    void setModalPresentationStyle(UIModalPresentationStyle style) { modalPresentationStyle_ = style; }
    // The panel's anchor on the pad: a rectangle in the source view's coordinates.
    UIView* popoverSourceView() const { return popoverSourceView_.lock().get(); }
    CGRect popoverSourceRect() const { return popoverSourceRect_; }
    void setPopoverSource(const std::shared_ptr<UIView>& view, CGRect rect);
    // Held weakly, as delegates are.
    std::shared_ptr<UIViewControllerTransitioningDelegate> transitioningDelegate() const {
        return transitioningDelegate_.lock();
    }
    void setTransitioningDelegate(const std::shared_ptr<UIViewControllerTransitioningDelegate>& delegate) {
        transitioningDelegate_ = delegate;
    }
    void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                               std::function<void()> completion = nullptr);
    // Dismisses what this controller presented, or, when it presents nothing, itself.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = nullptr);
    UIViewController* presentedViewController() const { return presented_.get(); }
    UIViewController* presentingViewController() const { return presenting_; }
    // True while a presentation or dismissal of this controller runs.
    bool isBeingPresented() const { return transitioning_ && !dismissing_; }
    bool isBeingDismissed() const { return transitioning_ && dismissing_; }

    // ---- Peek and pop (UIViewController+Previewing.cpp, UIViewControllerPreviewing.h) -------
    // The device's, from its profile.
    UIForceTouchCapability forceTouchCapability() const;
    // Registers the source view for peeks answered by the delegate; the controller keeps the
    // context until it is unregistered or the controller goes.
    std::shared_ptr<UIViewControllerPreviewing> registerForPreviewingWithDelegate(
        UIViewControllerPreviewingDelegate* delegate, const std::shared_ptr<UIView>& sourceView);
    void unregisterForPreviewingWithContext(const std::shared_ptr<UIViewControllerPreviewing>& context);
    // The actions listed under this controller's peek.
    virtual std::vector<UIPreviewAction> previewActionItems() const { return {}; }

    // Stand-in internals: the window whose root (or a controller presented over it) this is.
    UIWindow* hostWindow();

protected:
    // For containers: where the child's view goes and what is shown is theirs to say.
    // The children whose views are in this controller's view, which share its appearance.
    std::vector<std::shared_ptr<UIViewController>> shownChildren() const;

private:
    friend class UIViewControllerTransition;
    void unregisterAllPreviewing();
    std::shared_ptr<UIView> view_;
    std::string title_;
    std::shared_ptr<UINavigationItem> navigationItem_;
    UIRectEdge edgesForExtendedLayout_ = UIRectEdgeAll;
    bool adjustsScrollViewInsets_ = true;
    CGSize preferredContentSize_ = CGSizeZero;
    UIViewController* parent_ = nullptr;
    std::vector<std::shared_ptr<UIViewController>> children_;
    UIModalPresentationStyle modalPresentationStyle_ = UIModalPresentationStyle::FullScreen;
    std::weak_ptr<UIView> popoverSourceView_;
    CGRect popoverSourceRect_ = CGRectZero;
    std::weak_ptr<UIViewControllerTransitioningDelegate> transitioningDelegate_;
    std::shared_ptr<UIViewController> presented_;
    std::vector<std::shared_ptr<UIViewControllerPreviewing>> previewingContexts_;
    UIViewController* presenting_ = nullptr;
    bool transitioning_ = false, dismissing_ = false;
    // While presented: the container, where the presenting view came from, the running context.
    std::shared_ptr<UIViewControllerTransition> presentation_;
    // Appearance state: 0 gone, 1 appearing, 2 shown, 3 disappearing.
    int appearance_ = 0;
    bool appearanceAnimated_ = false;
};
