#pragma once
// A view that shows part of a larger content: its bounds' origin is the content offset. A pan
// recogniser drags the content with the finger (half the finger's travel past the edges while
// it bounces); a fling decelerates, its speed multiplied by 0.998 every millisecond until under
// 10 points a second; content past an edge springs back in 0.4 s; with paging it settles on the
// nearest page of the bounds' size. With a zoom view (the delegate's) and a zoom range, a pinch
// scales that view by a transform about the fingers' midpoint and the content size follows it;
// a scale out of range springs back. The wheel scrolls 40 points a notch (the input driver's
// amount). All movement runs on the main run loop's clock, in every common mode; while a
// finger drags, the input runs the loop in the tracking mode.
//
// Indicators: while the content moves, a 3-point bar along the right (and the bottom) edge
// shows where the bounds stand in the content, as long as the bounds are; it fades out over
// 0.3 s once the content rests.
#include <memory>
#include <optional>

#include "platform/uikit/UIGeometry.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIPinchGestureRecognizer.h"
#include "platform/uikit/UIView.h"

class NSTimer;
class UIScrollView;

class UIScrollViewDelegate {
public:
    virtual ~UIScrollViewDelegate() = default;
    virtual void scrollViewDidScroll(UIScrollView& scrollView) {}
    virtual void scrollViewWillBeginDragging(UIScrollView& scrollView) {}
    // As the finger lifts: the velocity (points a millisecond, as the content moves) and the
    // offset where the content would come to rest, which the delegate may change; the content
    // then settles there (at once when it is the present offset).
    virtual void scrollViewWillEndDragging(UIScrollView& scrollView, CGPoint velocity, CGPoint& targetContentOffset) {}
    virtual void scrollViewDidEndDragging(UIScrollView& scrollView, bool willDecelerate) {}
    virtual void scrollViewDidEndDecelerating(UIScrollView& scrollView) {}
    virtual void scrollViewDidEndScrollingAnimation(UIScrollView& scrollView) {}
    virtual std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView& scrollView) { return nullptr; }
    virtual void scrollViewWillBeginZooming(UIScrollView& scrollView, UIView* view) {}
    virtual void scrollViewDidZoom(UIScrollView& scrollView) {}
    virtual void scrollViewDidEndZooming(UIScrollView& scrollView, UIView* view, CGFloat scale) {}
};

class UIScrollView : public UIView {
public:
    static constexpr CGFloat kDecelerationPerMillisecond = 0.998;
    static constexpr CGFloat kRestingSpeed = 10;
    static constexpr NSTimeInterval kBounceDuration = 0.4;
    static constexpr NSTimeInterval kZoomToRectDuration = 0.3;

    explicit UIScrollView(CGRect frame = CGRectZero);
    ~UIScrollView() override;

    // ---- Content -------------------------------------------------------------------------
    CGSize contentSize() const { return contentSize_; }
    void setContentSize(CGSize size) { contentSize_ = size; }
    CGPoint contentOffset() const { return bounds().origin; }
    void setContentOffset(CGPoint offset);
    void setContentOffset(CGPoint offset, bool animated);
    UIEdgeInsets contentInset() const { return contentInset_; }
    // Where the content (with the insets) is smaller than the bounds, the offset is pinned at
    // minus the leading inset on that axis.
    void setContentInset(UIEdgeInsets inset);
    // The least movement that shows the rectangle (content coordinates), within range; a
    // rectangle larger than the bounds shows its leading part.
    void scrollRectToVisible(CGRect rect, bool animated);

    // ---- Behaviour -----------------------------------------------------------------------
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    // Without zoom bouncing a pinch stops at the zoom range instead of going past it.
    bool bouncesZoom() const { return bouncesZoom_; }
    void setBouncesZoom(bool bounces) { bouncesZoom_ = bounces; }
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool b) { alwaysBounceVertical_ = b; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool b) { alwaysBounceHorizontal_ = b; }
    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool paging) { pagingEnabled_ = paging; }
    bool isScrollEnabled() const { return panGestureRecognizer_->isEnabled(); }
    void setScrollEnabled(bool enabled) { panGestureRecognizer_->setEnabled(enabled); }
    bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
    void setShowsHorizontalScrollIndicator(bool shows) { showsHorizontal_ = shows; }
    bool showsVerticalScrollIndicator() const { return showsVertical_; }
    void setShowsVerticalScrollIndicator(bool shows) { showsVertical_ = shows; }
    // Held weakly, as delegates are.
    std::shared_ptr<UIScrollViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<UIScrollViewDelegate>& delegate) { delegate_ = delegate; }

    bool isTracking() const { return tracking_; }
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return motion_ && motion_->kind == Motion::Decelerate; }
    bool isZooming() const { return zooming_; }

    const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return panGestureRecognizer_; }
    const std::shared_ptr<UIPinchGestureRecognizer>& pinchGestureRecognizer() const { return pinchGestureRecognizer_; }

    // ---- Zooming -------------------------------------------------------------------------
    CGFloat minimumZoomScale() const { return minimumZoomScale_; }
    void setMinimumZoomScale(CGFloat scale) { minimumZoomScale_ = scale; }
    CGFloat maximumZoomScale() const { return maximumZoomScale_; }
    void setMaximumZoomScale(CGFloat scale) { maximumZoomScale_ = scale; }
    CGFloat zoomScale() const { return zoomScale_; }
    // Clamped into the range; nothing without a zoom view.
    void setZoomScale(CGFloat scale, bool animated = false);
    // Zooms so that the rectangle (in the zoom view's own space) fills the bounds as far as
    // the range allows, centred where the content allows.
    void zoomToRect(CGRect rect, bool animated);

    // The wheel: the delta in points (positive up and left) moves the content, within range.
    bool scrollWheel(CGPoint location, CGSize delta) override;
    // Attaches the pan and pinch recognisers (a view cannot hand out its shared self while
    // it is being made, so they join when it first enters a tree).
    void willMoveToSuperview(UIView* newSuperview) override;

protected:
    // The nearest offset in range for a content of that size.
    CGPoint clampedOffset(CGPoint offset, CGSize content) const;

private:
    struct Motion {
        enum Kind { Animate, Decelerate } kind = Animate;
        NSTimeInterval start = 0, duration = 0;
        CGPoint fromOffset{}, toOffset{};
        CGFloat fromScale = 1, toScale = 1;
        CGPoint velocity{};  // deceleration, points a second
        NSTimeInterval last = 0;
        bool zooms = false;
        bool endsDeceleration = true;  // else it ends a scrolling animation
    };
    void pan(UIPanGestureRecognizer& pan);
    void pinch(UIPinchGestureRecognizer& pinch);
    bool scrollsHorizontally() const;
    bool scrollsVertically() const;
    std::shared_ptr<UIView> zoomView();
    void applyZoom(CGFloat scale);
    // After a drag: page, spring back, decelerate or rest.
    void settle(CGPoint velocity, bool afterDrag);
    // Where a deceleration from this velocity would stop, within range.
    CGPoint restingOffset(CGPoint velocity) const;
    void zoomTo(CGFloat scale, CGPoint offset, NSTimeInterval duration);
    void finishMotion(bool deceleration);
    void start(Motion motion);
    void stop();
    void tick();
    void moved();
    void placeIndicators();
    void hideIndicators();

    CGSize contentSize_{};
    UIEdgeInsets contentInset_{};
    bool bounces_ = true, bouncesZoom_ = true, alwaysBounceVertical_ = false, alwaysBounceHorizontal_ = false;
    bool pagingEnabled_ = false, showsHorizontal_ = true, showsVertical_ = true;
    bool tracking_ = false, dragging_ = false, zooming_ = false;
    std::weak_ptr<UIScrollViewDelegate> delegate_;
    std::shared_ptr<UIPanGestureRecognizer> panGestureRecognizer_;
    std::shared_ptr<UIPinchGestureRecognizer> pinchGestureRecognizer_;
    CGPoint dragStart_{};
    CGFloat minimumZoomScale_ = 1, maximumZoomScale_ = 1, zoomScale_ = 1;
    CGFloat pinchStartScale_ = 1;
    CGPoint pinchAnchor_{};  // the zoom view's own point under the fingers
    std::optional<Motion> motion_;
    std::shared_ptr<NSTimer> timer_;
    std::shared_ptr<UIView> verticalIndicator_, horizontalIndicator_;
};
