#pragma once
// Synthetic touches for view tests: one finger put down at a point of a root view's space,
// hit-tested there as the window does (passing over hidden, transparent and non-interactive
// views), moved, lifted or cancelled, with the run loop's clock as its time stamp.
#include <memory>

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIView.h"

class SyntheticFinger {
public:
    // Down at `point` (in the root's coordinates); the hit view receives the touch.
    SyntheticFinger(UIView& root, CGPoint point, int tapCount = 1) : root_(root) {
        touch_.phase = UITouchPhase::Began;
        touch_.tapCount = tapCount;
        touch_.windowLocation = touch_.previousWindowLocation = root.convertPointToView(point, nullptr);
        UIView* hit = root.hitTest(point);
        if (hit) touch_.view = hit->weak_from_this();
        deliver(&UIView::touchesBegan);
    }
    void moveTo(CGPoint point) {
        touch_.phase = UITouchPhase::Moved;
        touch_.previousWindowLocation = touch_.windowLocation;
        touch_.windowLocation = root_.convertPointToView(point, nullptr);
        deliver(&UIView::touchesMoved);
    }
    void lift() {
        touch_.phase = UITouchPhase::Ended;
        deliver(&UIView::touchesEnded);
    }
    void cancel() {
        touch_.phase = UITouchPhase::Cancelled;
        deliver(&UIView::touchesCancelled);
    }
    std::shared_ptr<UIView> view() const { return touch_.view.lock(); }

private:
    void deliver(void (UIView::*phase)(const UITouchSet&, const UIEvent*)) {
        auto view = touch_.view.lock();
        if (!view) return;
        touch_.timestamp = NSRunLoop::mainRunLoop().now();
        UIEvent event;
        event.timestamp = touch_.timestamp;
        event.allTouches = {&touch_};
        ((*view).*phase)(event.allTouches, &event);
    }
    UIView& root_;
    UITouch touch_;
};

// A tap: down and up at the point.
inline void syntheticTap(UIView& root, CGPoint point) { SyntheticFinger(root, point).lift(); }
