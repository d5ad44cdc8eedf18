#pragma once
// Peek and pop. A controller registers a source view with a delegate
// (`UIViewController::registerForPreviewingWithDelegate`) and keeps the returned context.
// The window turns a single finger's force into the gesture:
//   - at half the maximum force over the source view the delegate is asked for a controller
//     at that point (nil: no peek, the touch goes on to the views); the controller's view is
//     then shown centred over a blurred screen, 20 pt from the sides, keeping its aspect, and
//     the touches in progress are cancelled in the views;
//   - moving up by 40 pt lists the controller's `previewActionItems`, which stay after the
//     finger lifts until a tap runs one (or a tap elsewhere dismisses);
//   - 90 % of the maximum force pops: the peek goes and the delegate commits the controller;
//   - lifting otherwise dismisses.
#include <memory>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSRunLoop.h"

class UIView;
class UIViewController;
class UIWindow;
struct UITouchReport;
class UIViewControllerPreviewing;

class UIViewControllerPreviewingDelegate {
public:
    virtual ~UIViewControllerPreviewingDelegate() = default;
    // The controller to peek at, for a point in the context's source view; null for none.
    virtual std::shared_ptr<UIViewController> previewingContext(UIViewControllerPreviewing& context,
                                                                CGPoint location) = 0;
    // The pop: the peeked controller is committed.
    virtual void previewingContext(UIViewControllerPreviewing& context, UIViewController& commitViewController) = 0;
};

class UIViewControllerPreviewing {
public:
    // The delegate is held weakly, as delegates are; so is the source view.
    UIViewControllerPreviewing(UIViewControllerPreviewingDelegate* delegate, const std::shared_ptr<UIView>& sourceView)
        : delegate_(delegate), sourceView_(sourceView) {}
    UIViewControllerPreviewingDelegate* delegate() const { return delegate_; }
    std::shared_ptr<UIView> sourceView() const { return sourceView_.lock(); }
    // The rectangle the peek grows out of, in the source view; the delegate sets it.
    CGRect sourceRect() const { return sourceRect_; }
    void setSourceRect(CGRect rect) { sourceRect_ = rect; }

    // Thresholds, as fractions of the maximum force, and the rise that lists the actions.
    static constexpr double kPeekForceFraction = 0.5;
    static constexpr double kPopForceFraction = 0.9;
    static constexpr double kActionsRise = 40;
    static constexpr double kPeekMargin = 20;

    // Stand-in internals: the window offers each batch of touches first; answers whether the
    // peek took them (the views then do not see them).
    static bool handleTouches(UIWindow& window, const std::vector<UITouchReport>& reports, NSTimeInterval timestamp);
    // The peek's overlay while one is shown (tests), else null.
    static std::shared_ptr<UIView> peekView();
    // The action rows listed, top to bottom (tests).
    static std::vector<std::shared_ptr<UIView>> actionViews();

private:
    friend class UIViewController;
    void invalidate() { delegate_ = nullptr; }
    // Every registered context (the controllers hold them).
    static std::vector<std::weak_ptr<UIViewControllerPreviewing>>& registry();
    UIViewControllerPreviewingDelegate* delegate_;
    std::weak_ptr<UIView> sourceView_;
    CGRect sourceRect_ = CGRectZero;
};
