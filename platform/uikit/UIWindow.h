#pragma once
// The root of a view tree shown on the screen. A view knows its window through its chain of
// superviews, and hears `willMoveToWindow`/`didMoveToWindow` when it enters or leaves one.
// One window at a time is the key window: the input driver (UIInputDriver) sends it the
// touches and keys of the host window, the tests and scripts.
//
// Touches: each finger's touch is hit-tested where it begins (on the presentation tree, see
// `UIView::hitTest`) and keeps that view until it ends. Every change is first offered to the
// gesture hook (the recognisers of the hit view and its ancestors), then, unless the hook
// withholds it, to the view, whose unhandled touches go up the responder chain. A touch the
// hook withholds after the view has seen it is cancelled in the view. Touches that begin
// while the application ignores interaction events (except on a shown system alert), that hit
// nothing, or that begin on a view already touched that is not multiple-touch enabled are
// dropped for their whole life.
//
// The picture: `compose` draws the tree into one image at the screen's scale (the same image
// a shown window puts on the display).
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/uikit/UIView.h"

class UIViewController;

// One change of one finger, as the input driver reports it: the location in the window's
// points.
struct UITouchReport {
    int identifier = 0;
    UITouchPhase phase = UITouchPhase::Began;
    CGPoint location;
    CGFloat force = 0;
    int tapCount = 1;
};

class UIWindow : public UIView {
public:
    // Offered each change of the touches before the views see them (`changed` in one phase,
    // all with views); answers whether the views get them.
    using GestureHook = std::function<bool(UITouchPhase phase, const UITouchSet& changed, const UIEvent& event)>;

    explicit UIWindow(CGRect frame = CGRectZero);
    ~UIWindow() override;

    // Makes the window the key window and shows it.
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const { return keyWindow() == this; }
    // The key window, or null.
    static UIWindow* keyWindow();

    // ---- Controller ----------------------------------------------------------------------
    // The controller whose view fills the window; setting one replaces the earlier one's view.
    const std::shared_ptr<UIViewController>& rootViewController() const { return rootViewController_; }
    void setRootViewController(std::shared_ptr<UIViewController> controller);

    // ---- Touches -------------------------------------------------------------------------
    // Delivers the changes, stamped with the time; changes in one call form one event. Ends
    // and cancels of fingers not down, and moves of dropped touches, are ignored.
    void sendTouches(const std::vector<UITouchReport>& reports, NSTimeInterval timestamp);
    // Cancels every touch in progress (delivered as cancelled).
    void cancelAllTouches(NSTimeInterval timestamp);
    // Touches that are down and delivered, for tests and recognisers.
    std::size_t activeTouchCount() const { return touches_.size(); }
    // The one gesture hook of every window (recognisers fill it); null offers nothing.
    static void setGestureHook(GestureHook hook);

    // ---- Picture -------------------------------------------------------------------------
    // Lays out, displays and composes the tree at the screen's scale (null when empty).
    CGImageRef compose();

private:
    struct Active {
        std::shared_ptr<UITouch> touch;
        bool withheld = false;  // the gesture hook has kept it from its view
    };
    void deliver(UITouchPhase phase, const std::vector<Active*>& changed, NSTimeInterval timestamp);

    std::map<int, Active> touches_;
    std::shared_ptr<UIViewController> rootViewController_;
};
