#include "platform/uikit/UIScrollView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIApplication.h"

namespace {

// Keeps the scroll view's own recognisers (pan and pinch) running together.
struct OwnPair : UIGestureRecognizerDelegate {
    bool shouldRecognizeSimultaneously(UIGestureRecognizer& r, UIGestureRecognizer& other) override {
        return r.view() && r.view() == other.view() &&
               (dynamic_cast<UIPinchGestureRecognizer*>(&r) || dynamic_cast<UIPinchGestureRecognizer*>(&other));
    }
};

const std::shared_ptr<OwnPair>& ownPair() {
    static auto pair = std::make_shared<OwnPair>();
    return pair;
}

CGFloat easeInOut(CGFloat p) { return p * p * (3 - 2 * p); }
CGFloat lerp(CGFloat a, CGFloat b, CGFloat p) { return a + (b - a) * p; }
// Speed lost over t seconds: the factor per second is the per-millisecond one to the 1000th.
const CGFloat kDecayPerSecond = 1000 * std::log(UIScrollView::kDecelerationPerMillisecond);

}  // namespace

UIScrollView::UIScrollView(CGRect frame) : UIView(frame) {
    setClipsToBounds(true);
    setMultipleTouchEnabled(true);
    panGestureRecognizer_ = std::make_shared<UIPanGestureRecognizer>();
    pinchGestureRecognizer_ = std::make_shared<UIPinchGestureRecognizer>();
    for (UIGestureRecognizer* r : {static_cast<UIGestureRecognizer*>(panGestureRecognizer_.get()),
                                   static_cast<UIGestureRecognizer*>(pinchGestureRecognizer_.get())})
        r->setDelegate(ownPair());
    panGestureRecognizer_->addTarget(this, [this](UIGestureRecognizer&) { pan(*panGestureRecognizer_); });
    pinchGestureRecognizer_->addTarget(this, [this](UIGestureRecognizer&) { pinch(*pinchGestureRecognizer_); });
}

UIScrollView::~UIScrollView() {
    if (timer_) timer_->invalidate();
    if (tracking_) UIApplication::sharedApplication().endTrackingInteraction();
}

void UIScrollView::willMoveToSuperview(UIView* newSuperview) {
    UIView::willMoveToSuperview(newSuperview);
    if (!newSuperview || panGestureRecognizer_->view() == this) return;
    addGestureRecognizer(panGestureRecognizer_);
    addGestureRecognizer(pinchGestureRecognizer_);
}

// ---- Offsets -----------------------------------------------------------------------------------

void UIScrollView::setContentOffset(CGPoint offset) {
    if (offset == contentOffset()) return;
    CGRect b = bounds();
    b.origin = offset;
    setBounds(b);
    moved();
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated) {
    stop();
    if (!animated) return setContentOffset(offset);
    Motion m;
    m.duration = kBounceDuration;
    m.fromOffset = contentOffset();
    m.toOffset = offset;
    m.fromScale = m.toScale = zoomScale_;
    m.endsDeceleration = false;
    start(m);
}

void UIScrollView::setContentInset(UIEdgeInsets inset) {
    contentInset_ = inset;
    const CGPoint now = contentOffset();
    CGPoint pinned = now;
    if (contentSize_.width + inset.left + inset.right <= bounds().size.width) pinned.x = -inset.left;
    if (contentSize_.height + inset.top + inset.bottom <= bounds().size.height) pinned.y = -inset.top;
    if (pinned != now) setContentOffset(pinned);
}

void UIScrollView::scrollRectToVisible(CGRect rect, bool animated) {
    const CGRect b = bounds();
    auto axis = [](CGFloat at, CGFloat size, CGFloat lo, CGFloat length) {
        if (length >= size) return lo;                           // the leading part
        if (lo < at) return lo;                                  // before the shown part
        if (lo + length > at + size) return lo + length - size;  // after it
        return at;
    };
    const CGPoint to = clampedOffset({axis(b.origin.x, b.size.width, CGRectGetMinX(rect), CGRectGetWidth(rect)),
                                      axis(b.origin.y, b.size.height, CGRectGetMinY(rect), CGRectGetHeight(rect))},
                                     contentSize_);
    setContentOffset(to, animated);
}

void UIScrollView::moved() {
    placeIndicators();
    if (auto d = delegate()) d->scrollViewDidScroll(*this);
}

namespace {
constexpr CGFloat kIndicatorThickness = 3, kIndicatorInset = 2, kIndicatorMinimum = 7;
constexpr NSTimeInterval kIndicatorFade = 0.3;

// Where along an edge of length `visible` the bar for this offset stands, and how long it is.
std::pair<CGFloat, CGFloat> indicatorSpan(CGFloat offset, CGFloat visible, CGFloat content) {
    const CGFloat room = visible - 2 * kIndicatorInset;
    const CGFloat length = std::clamp(room * visible / content, kIndicatorMinimum, room);
    const CGFloat travel = content - visible;
    const CGFloat progress = travel > 0 ? std::clamp(offset / travel, CGFloat(0), CGFloat(1)) : 0;
    return {offset + kIndicatorInset + (room - length) * progress, length};
}
}  // namespace

void UIScrollView::placeIndicators() {
    const CGRect b = bounds();
    auto place = [&](std::shared_ptr<UIView>& bar, bool shows, CGRect frame) {
        if (!shows) {
            if (bar) bar->setHidden(true);
            return;
        }
        if (!bar) {
            bar = std::make_shared<UIView>(frame);
            bar->setBackgroundColor(UIColor::colorWithWhite(0, 0.35));
            bar->setUserInteractionEnabled(false);
        }
        addSubview(bar);  // on top of the content
        bar->setHidden(false);
        bar->layer()->removeAllAnimations();
        bar->setAlpha(1);
        bar->setFrame(frame);
    };
    if (contentSize_.height > b.size.height) {
        const auto [y, length] = indicatorSpan(b.origin.y, b.size.height, contentSize_.height);
        place(verticalIndicator_, showsVertical_,
              CGRectMake(b.origin.x + b.size.width - kIndicatorThickness - kIndicatorInset, y, kIndicatorThickness,
                         length));
    }
    if (contentSize_.width > b.size.width) {
        const auto [x, length] = indicatorSpan(b.origin.x, b.size.width, contentSize_.width);
        place(horizontalIndicator_, showsHorizontal_,
              CGRectMake(x, b.origin.y + b.size.height - kIndicatorThickness - kIndicatorInset, length,
                         kIndicatorThickness));
    }
    if (!dragging_ && !motion_ && !zooming_) hideIndicators();
}

void UIScrollView::hideIndicators() {
    for (const auto& bar : {verticalIndicator_, horizontalIndicator_}) {
        if (!bar || bar->isHidden()) continue;
        UIView::animateWithDuration(
            kIndicatorFade, 0, 0, [bar] { bar->setAlpha(0); }, nullptr);
    }
}

CGPoint UIScrollView::clampedOffset(CGPoint offset, CGSize content) const {
    const CGSize size = bounds().size;
    const CGFloat minX = -contentInset_.left, minY = -contentInset_.top;
    const CGFloat maxX = std::max(minX, content.width + contentInset_.right - size.width);
    const CGFloat maxY = std::max(minY, content.height + contentInset_.bottom - size.height);
    return {std::clamp(offset.x, minX, maxX), std::clamp(offset.y, minY, maxY)};
}

bool UIScrollView::scrollsHorizontally() const {
    return alwaysBounceHorizontal_ ||
           contentSize_.width + contentInset_.left + contentInset_.right > bounds().size.width;
}

bool UIScrollView::scrollsVertically() const {
    return alwaysBounceVertical_ ||
           contentSize_.height + contentInset_.top + contentInset_.bottom > bounds().size.height;
}

bool UIScrollView::scrollWheel(CGPoint, CGSize delta) {
    if (!isScrollEnabled() || (!scrollsHorizontally() && !scrollsVertically())) return false;
    stop();
    const CGPoint now = contentOffset();
    setContentOffset(clampedOffset(
        {scrollsHorizontally() ? now.x - delta.width : now.x, scrollsVertically() ? now.y - delta.height : now.y},
        contentSize_));
    return true;
}

// ---- Dragging ----------------------------------------------------------------------------------

void UIScrollView::pan(UIPanGestureRecognizer& recognizer) {
    auto self = shared_from_this();
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began:
        stop();
        dragStart_ = contentOffset();
        if (!tracking_) UIApplication::sharedApplication().beginTrackingInteraction();
        tracking_ = dragging_ = true;
        if (auto d = delegate()) d->scrollViewWillBeginDragging(*this);
        [[fallthrough]];
    case UIGestureRecognizerState::Changed: {
        if (zooming_) return;
        const CGPoint t = recognizer.translationInView(this);
        CGPoint want{scrollsHorizontally() ? dragStart_.x - t.x : dragStart_.x,
                     scrollsVertically() ? dragStart_.y - t.y : dragStart_.y};
        const CGPoint inRange = clampedOffset(want, contentSize_);
        // Past an edge the content follows the finger at half its pace, or not at all.
        const CGFloat give = bounces_ ? 0.5 : 0;
        want = {inRange.x + (want.x - inRange.x) * give, inRange.y + (want.y - inRange.y) * give};
        setContentOffset(want);
        return;
    }
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled: {
        if (tracking_) UIApplication::sharedApplication().endTrackingInteraction();
        tracking_ = dragging_ = false;
        CGPoint v = recognizer.velocityInView(this);
        v = {scrollsHorizontally() ? -v.x : 0, scrollsVertically() ? -v.y : 0};
        if (recognizer.state() == UIGestureRecognizerState::Cancelled) v = {0, 0};
        if (auto d = delegate()) {
            const CGPoint natural = pagingEnabled_ ? contentOffset() : restingOffset(v);
            CGPoint target = natural;
            d->scrollViewWillEndDragging(*this, {v.x / 1000, v.y / 1000}, target);
            if (target != natural) {
                // The delegate chose the resting place: go there instead of decelerating.
                target = clampedOffset(target, contentSize_);
                const bool moves = target != contentOffset();
                d->scrollViewDidEndDragging(*this, moves);
                if (moves) setContentOffset(target, true);
                else hideIndicators();
                return;
            }
        }
        settle(v, true);
        if (!motion_) hideIndicators();
        return;
    }
    default: return;
    }
}

void UIScrollView::settle(CGPoint velocity, bool afterDrag) {
    const CGPoint now = contentOffset();
    Motion m;
    m.fromOffset = now;
    m.fromScale = m.toScale = zoomScale_;
    m.duration = kBounceDuration;
    const bool fast = std::hypot(velocity.x, velocity.y) >= kRestingSpeed;
    if (pagingEnabled_) {
        const CGSize page = bounds().size;
        auto settleAxis = [&](CGFloat at, CGFloat speed, CGFloat size) {
            if (size <= 0) return at;
            CGFloat index = std::round(at / size);
            if (speed >= kRestingSpeed) index = std::ceil(at / size);
            if (speed <= -kRestingSpeed) index = std::floor(at / size);
            return index * size;
        };
        m.toOffset = clampedOffset(
            {settleAxis(now.x, velocity.x, page.width), settleAxis(now.y, velocity.y, page.height)}, contentSize_);
    } else if (clampedOffset(now, contentSize_) != now) {
        m.toOffset = clampedOffset(now, contentSize_);
    } else if (fast) {
        m.kind = Motion::Decelerate;
        m.velocity = velocity;
        const CGFloat speed = std::hypot(velocity.x, velocity.y);
        m.duration = std::log(kRestingSpeed / speed) / kDecayPerSecond;
    } else {
        m.toOffset = now;
    }
    const bool moves = m.kind == Motion::Decelerate || m.toOffset != now;
    if (afterDrag)
        if (auto d = delegate()) d->scrollViewDidEndDragging(*this, moves);
    if (moves) start(m);
}

CGPoint UIScrollView::restingOffset(CGPoint velocity) const {
    const CGPoint now = contentOffset();
    const CGFloat speed = std::hypot(velocity.x, velocity.y);
    if (speed < kRestingSpeed || clampedOffset(now, contentSize_) != now) return clampedOffset(now, contentSize_);
    const CGFloat duration = std::log(kRestingSpeed / speed) / kDecayPerSecond;
    const CGFloat travelled = (std::exp(kDecayPerSecond * duration) - 1) / kDecayPerSecond;
    return clampedOffset({now.x + velocity.x * travelled, now.y + velocity.y * travelled}, contentSize_);
}

// ---- Zooming -----------------------------------------------------------------------------------

std::shared_ptr<UIView> UIScrollView::zoomView() {
    auto d = delegate();
    return d ? d->viewForZoomingInScrollView(*this) : nullptr;
}

void UIScrollView::applyZoom(CGFloat scale) {
    auto view = zoomView();
    if (!view) return;
    zoomScale_ = scale;
    view->setTransform(CGAffineTransformMakeScale(scale, scale));
    const CGSize size = view->bounds().size;
    view->setCenter({size.width * scale / 2, size.height * scale / 2});
    contentSize_ = {size.width * scale, size.height * scale};
    if (auto d = delegate()) d->scrollViewDidZoom(*this);
}

void UIScrollView::setZoomScale(CGFloat scale, bool animated) {
    auto view = zoomView();
    if (!view) return;
    scale = std::clamp(scale, minimumZoomScale_, std::max(minimumZoomScale_, maximumZoomScale_));
    const CGSize size = view->bounds().size;
    const CGPoint now = contentOffset();
    const CGFloat ratio = scale / zoomScale_;
    zoomTo(scale, clampedOffset({now.x * ratio, now.y * ratio}, {size.width * scale, size.height * scale}),
           animated ? kZoomToRectDuration : 0);
}

void UIScrollView::zoomToRect(CGRect rect, bool animated) {
    auto view = zoomView();
    if (!view || rect.size.width <= 0 || rect.size.height <= 0) return;
    const CGSize box = bounds().size;
    const CGFloat scale = std::clamp(std::min(box.width / rect.size.width, box.height / rect.size.height),
                                     minimumZoomScale_, std::max(minimumZoomScale_, maximumZoomScale_));
    const CGSize size = view->bounds().size;
    const CGPoint mid{rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2};
    zoomTo(scale,
           clampedOffset({mid.x * scale - box.width / 2, mid.y * scale - box.height / 2},
                         {size.width * scale, size.height * scale}),
           animated ? kZoomToRectDuration : 0);
}

void UIScrollView::zoomTo(CGFloat scale, CGPoint offset, NSTimeInterval duration) {
    stop();
    if (duration <= 0) {
        applyZoom(scale);
        // The delegate may have changed the insets as the zoom changed.
        setContentOffset(clampedOffset(offset, contentSize_));
        if (auto d = delegate()) d->scrollViewDidEndZooming(*this, zoomView().get(), scale);
        return;
    }
    Motion m;
    m.duration = duration;
    m.fromOffset = contentOffset();
    m.toOffset = offset;
    m.fromScale = zoomScale_;
    m.toScale = scale;
    m.zooms = true;
    start(m);
}

void UIScrollView::pinch(UIPinchGestureRecognizer& recognizer) {
    auto view = zoomView();
    if (!view) return;
    auto self = shared_from_this();
    const CGPoint offset = contentOffset();
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began:
        stop();
        zooming_ = true;
        pinchStartScale_ = zoomScale_;
        pinchAnchor_ = recognizer.locationInView(view.get());
        if (auto d = delegate()) d->scrollViewWillBeginZooming(*this, view.get());
        [[fallthrough]];
    case UIGestureRecognizerState::Changed: {
        CGFloat scale = pinchStartScale_ * recognizer.scale();
        if (!bounces_ || !bouncesZoom_)
            scale = std::clamp(scale, minimumZoomScale_, std::max(minimumZoomScale_, maximumZoomScale_));
        const CGPoint at = recognizer.locationInView(this);  // in the content's space
        const CGPoint shown{at.x - offset.x, at.y - offset.y};
        applyZoom(scale);
        setContentOffset({pinchAnchor_.x * scale - shown.x, pinchAnchor_.y * scale - shown.y});
        return;
    }
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled: {
        zooming_ = false;
        const CGFloat scale = std::clamp(zoomScale_, minimumZoomScale_, std::max(minimumZoomScale_, maximumZoomScale_));
        // Back into range about the same point of the picture.
        const CGPoint at = recognizer.locationInView(this);
        const CGPoint shown{at.x - offset.x, at.y - offset.y};
        const CGSize size = view->bounds().size;
        const CGPoint target = clampedOffset({pinchAnchor_.x * scale - shown.x, pinchAnchor_.y * scale - shown.y},
                                             {size.width * scale, size.height * scale});
        if (scale == zoomScale_ && target == offset) {
            if (auto d = delegate()) d->scrollViewDidEndZooming(*this, view.get(), scale);
            return;
        }
        zoomTo(scale, target, kBounceDuration);
        return;
    }
    default: return;
    }
}

// ---- Motion on the clock -----------------------------------------------------------------------

void UIScrollView::start(Motion motion) {
    stop();
    motion.start = motion.last = NSRunLoop::mainRunLoop().now();
    motion_ = motion;
    std::weak_ptr<UIView> weak = weak_from_this();
    timer_ = NSTimer::timerWithTimeInterval(1.0 / 60, true, [weak](NSTimer&) {
        if (auto view = weak.lock()) static_cast<UIScrollView&>(*view).tick();
    });
    NSRunLoop::mainRunLoop().addTimer(timer_, NSRunLoopCommonModes);
}

void UIScrollView::stop() {
    motion_.reset();
    if (timer_) timer_->invalidate();
    timer_.reset();
}

void UIScrollView::tick() {
    if (!motion_) return;
    auto self = shared_from_this();
    const Motion m = *motion_;
    // Ticks fall on sums of 1/60 s: a hair short of the end is the end.
    const bool done = NSRunLoop::mainRunLoop().now() - m.start >= m.duration - 1e-9;
    const NSTimeInterval t = done ? m.duration : NSRunLoop::mainRunLoop().now() - m.start;
    if (m.kind == Motion::Decelerate) {
        // Travel so far: the speed's integral, v0 (e^(kt) − 1) / k.
        const CGFloat travelled = (std::exp(kDecayPerSecond * t) - 1) / kDecayPerSecond;
        const CGPoint at{m.fromOffset.x + m.velocity.x * travelled, m.fromOffset.y + m.velocity.y * travelled};
        const CGPoint inRange = clampedOffset(at, contentSize_);
        if (inRange != at) {
            // Past an edge: without bouncing it stops there, else it springs back from one step beyond.
            setContentOffset(bounces_ ? at : inRange);
            if (!bounces_) return finishMotion(true);
            Motion back;
            back.fromOffset = at;
            back.toOffset = inRange;
            back.fromScale = back.toScale = zoomScale_;
            back.duration = kBounceDuration;
            return start(back);
        }
        setContentOffset(at);
        if (done) finishMotion(true);
        return;
    }
    const CGFloat p = m.duration > 0 ? easeInOut(t / m.duration) : 1;
    if (m.zooms) applyZoom(lerp(m.fromScale, m.toScale, p));
    setContentOffset({lerp(m.fromOffset.x, m.toOffset.x, p), lerp(m.fromOffset.y, m.toOffset.y, p)});
    if (done) finishMotion(m.endsDeceleration);
}

void UIScrollView::finishMotion(bool deceleration) {
    const bool zooms = motion_ && motion_->zooms;
    stop();
    hideIndicators();
    auto d = delegate();
    if (!d) return;
    if (zooms) d->scrollViewDidEndZooming(*this, zoomView().get(), zoomScale_);
    else if (deceleration) d->scrollViewDidEndDecelerating(*this);
    else d->scrollViewDidEndScrollingAnimation(*this);
}
