#include "ui/widgets/ContentView.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UISlider.h"

namespace {

bool& animatesRelativeZoom() {
    static bool animate = true;
    return animate;
}

constexpr CGFloat kZoomedTolerance = 0.001;

}  // namespace

struct ContentView::Answerer : UIScrollViewDelegate, UIGestureRecognizerDelegate {
    explicit Answerer(ContentView& owner) : owner(owner) {}
    ContentView& owner;
    bool shouldReceiveTouch(UIGestureRecognizer& r, const UITouch& touch) override {
        return owner.shouldReceiveTouch(r, touch);
    }
    bool shouldBegin(UIGestureRecognizer& r) override { return owner.shouldBegin(r); }
    bool shouldRecognizeSimultaneously(UIGestureRecognizer& r, UIGestureRecognizer& other) override {
        return owner.shouldRecognizeSimultaneously(r, other);
    }
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView& s) override {
        return owner.viewForZoomingInScrollView(s);
    }
    void scrollViewDidZoom(UIScrollView& s) override { owner.scrollViewDidZoom(s); }
    void scrollViewDidEndZooming(UIScrollView& s, UIView* v, CGFloat scale) override {
        owner.scrollViewDidEndZooming(s, v, scale);
    }
};

ContentView::ContentView(CGRect frame) : UIView(frame), answerer_(std::make_shared<Answerer>(*this)) {}

ContentView::~ContentView() {
    if (scrollView_) scrollView_->setDelegate(nullptr);
}

void ContentView::animateResetZoomScale(bool animate) { animatesRelativeZoom() = animate; }

bool ContentView::zoomed() const {
    return zoomEnabled_ && scrollView_ &&
           std::abs(scrollView_->zoomScale() - scrollView_->minimumZoomScale()) > kZoomedTolerance;
}

// ---- Content -----------------------------------------------------------------------------------

void ContentView::setContentView(std::shared_ptr<UIView> view) {
    removeContentView();
    contentView_ = std::move(view);
    if (contentView_) contentViewSize_ = contentView_->bounds().size;
    layoutContentView();
    if (contentChanged) contentChanged(*this);
}

void ContentView::removeContentView() {
    if (!contentView_) return;
    contentView_->removeFromSuperview();
    contentView_->setTransform(CGAffineTransformIdentity);
    contentView_->setFrame({{0, 0}, contentViewSize_});
}

void ContentView::layoutContentView() {
    if (!contentView_) return;
    layoutBounds_ = bounds();
    removeContentView();
    if (!zoomEnabled_) {
        contentView_->setAutoresizingMask(autoresizingMask());
        contentView_->setFrame(bounds());
        addSubview(contentView_);
        return;
    }
    scrollView_->setMinimumZoomScale(1);
    scrollView_->setMaximumZoomScale(1);
    scrollView_->setZoomScale(1);
    scrollView_->setContentSize({0, 0});
    scrollView_->setContentOffset({0, 0});
    scrollView_->setContentInset({});
    contentView_->setAutoresizingMask(UIViewAutoresizingNone);
    scrollView_->setContentSize(contentView_->bounds().size);
    scrollView_->addSubview(contentView_);
    setZoomScalesForContentView();
    centerContentView();
}

void ContentView::layoutSubviews() {
    UIView::layoutSubviews();
    if (bounds() != layoutBounds_) layoutContentView();
}

// ---- Zoom scales -------------------------------------------------------------------------------

void ContentView::setZoomScalesForContentView() {
    if (!scrollView_) return;
    const CGSize content = contentViewSize_, box = scrollView_->bounds().size;
    // Nothing to fit, or nothing to fit into: the scales stay as they were.
    if (content.width <= 0 || content.height <= 0 || box.width <= 0 || box.height <= 0) return;
    const CGFloat fit = std::min(box.width / content.width, box.height / content.height);
    const CGFloat minimum = scaleContentToFit_ || fit <= 1 ? fit : 1;
    scrollView_->setMinimumZoomScale(minimum);
    scrollView_->setMaximumZoomScale(2 * minimum);
    scrollView_->setZoomScale(minimum, false);
}

void ContentView::centerContentView() {
    if (!scrollView_ || !contentView_) return;
    const CGSize box = scrollView_->bounds().size, content = scrollView_->contentSize();
    const CGFloat dx = box.width > content.width ? (box.width - content.width) / 2 : 0;
    const CGFloat dy = box.height > content.height ? (box.height - content.height) / 2 : 0;
    contentView_->setCenter({dx + content.width / 2, dy + content.height / 2});
}

void ContentView::setRelativeZoomScale(double r, bool animated, double duration, Completion completion) {
    if (!scrollView_) {
        if (completion) completion(true);
        return;
    }
    const CGFloat z =
        (scrollView_->maximumZoomScale() - scrollView_->minimumZoomScale()) * r + scrollView_->minimumZoomScale();
    if (!animatesRelativeZoom()) {
        scrollView_->setZoomScale(z, false);
        if (completion) completion(true);
        return;
    }
    auto scroll = scrollView_;
    UIView::animateWithDuration(
        animated ? duration : 0, 0, 0, [scroll, z] { scroll->setZoomScale(z, false); }, std::move(completion));
}

double ContentView::relativeZoomScale() const {
    if (!scrollView_) return 0;
    const CGFloat range = scrollView_->maximumZoomScale() - scrollView_->minimumZoomScale();
    return range > 0 ? (scrollView_->zoomScale() - scrollView_->minimumZoomScale()) / range : 0;
}

void ContentView::resetZoomScale(double seconds, Completion completion) {
    setRelativeZoomScale(0, zoomed(), seconds, std::move(completion));
}

void ContentView::resetZoomScaleAndContentOffset(bool reset, Completion completion) {
    if (reset) return resetZoomScale(std::move(completion));
    if (scrollView_) scrollView_->setContentOffset(scrollView_->contentOffset(), false);
    if (completion) completion(true);
}

void ContentView::setZoomScaleWithContentView(const ContentView& other) {
    if (!zoomEnabled_ || !other.zoomEnabled_ || !other.zoomed()) return;
    const auto& theirs = *other.scrollView_;
    scrollView_->setMinimumZoomScale(theirs.minimumZoomScale());
    scrollView_->setMaximumZoomScale(theirs.maximumZoomScale());
    scrollView_->setZoomScale(theirs.zoomScale());
    scrollView_->setContentOffset(theirs.contentOffset());
}

CGRect ContentView::zoomRectForScale(float scale, CGPoint center) const {
    const CGSize box = bounds().size;
    const CGFloat w = box.width / scale, h = box.height / scale;
    return CGRectMake(center.x - w / 2, center.y - h / 2, w, h);
}

CGRect ContentView::zoomRectWithCenter(CGPoint center) const {
    const CGFloat target = zoomed() ? scrollView_->minimumZoomScale() : scrollView_->maximumZoomScale();
    return zoomRectForScale(static_cast<float>(target), center);
}

// ---- Zooming and gestures on and off -----------------------------------------------------------

void ContentView::setZoomEnabled(bool enabled) {
    if (enabled == zoomEnabled_) return;
    zoomEnabled_ = enabled;
    if (enabled) {
        scrollView_ = std::make_shared<UIScrollView>(bounds());
        scrollView_->setBackgroundColor(UIColor::clearColor());
        scrollView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        scrollView_->setShowsHorizontalScrollIndicator(false);
        scrollView_->setShowsVerticalScrollIndicator(false);
        scrollView_->setBounces(true);
        scrollView_->setDelegate(answerer_);
        addSubview(scrollView_);
    } else {
        removeContentView();
        scrollView_->setDelegate(nullptr);
        scrollView_->removeFromSuperview();
        scrollView_.reset();
    }
    setGesturesEnabled(enabled);
    layoutContentView();
}

void ContentView::setGesturesEnabled(bool enabled) {
    if (!scrollView_) return;
    if (!enabled) {
        for (const auto& r : {std::static_pointer_cast<UIGestureRecognizer>(longPress_),
                              std::static_pointer_cast<UIGestureRecognizer>(doubleTap_),
                              std::static_pointer_cast<UIGestureRecognizer>(tap_)})
            if (r) scrollView_->removeGestureRecognizer(r.get());
        longPress_.reset();
        doubleTap_.reset();
        tap_.reset();
        scrollView_->setUserInteractionEnabled(false);
        return;
    }
    if (longPress_) return;
    const std::shared_ptr<UIGestureRecognizerDelegate> delegate = answerer_;
    longPress_ = std::make_shared<UILongPressGestureRecognizer>();
    longPress_->setMinimumPressDuration(kLongPressDuration);
    longPress_->addTarget(this, [this](UIGestureRecognizer& r) { handleLongPressGesture(r); });
    doubleTap_ = std::make_shared<UITapGestureRecognizer>();
    doubleTap_->setNumberOfTapsRequired(2);
    doubleTap_->addTarget(this, [this](UIGestureRecognizer& r) { handleDoubleTapGesture(r); });
    doubleTap_->requireGestureRecognizerToFail(longPress_);
    tap_ = std::make_shared<UITapGestureRecognizer>();
    tap_->addTarget(this, [this](UIGestureRecognizer& r) { handleTapGesture(r); });
    tap_->requireGestureRecognizerToFail(doubleTap_);
    for (const auto& r : {std::static_pointer_cast<UIGestureRecognizer>(longPress_),
                          std::static_pointer_cast<UIGestureRecognizer>(doubleTap_),
                          std::static_pointer_cast<UIGestureRecognizer>(tap_)}) {
        r->setDelegate(delegate);
        scrollView_->addGestureRecognizer(r);
    }
    scrollView_->setUserInteractionEnabled(true);
}

// ---- Answers -----------------------------------------------------------------------------------

bool ContentView::shouldReceiveTouch(UIGestureRecognizer&, const UITouch& touch) {
    return !dynamic_cast<UISlider*>(touch.view.lock().get());
}

void ContentView::scrollViewDidEndZooming(UIScrollView& scrollView, UIView*, CGFloat) {
    scrollView.panGestureRecognizer()->setEnabled(zoomed());
}

void ContentView::handleDoubleTapGesture(UIGestureRecognizer& recognizer) {
    if (!scrollView_ || !contentView_) return;
    scrollView_->zoomToRect(zoomRectWithCenter(recognizer.locationInView(contentView_.get())), true);
}

void ContentView::handleLongPressGesture(UIGestureRecognizer& recognizer) {
    if (!longPressBlock) return;
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began: longPressBlock(true); break;
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed: longPressBlock(false); break;
    default: break;
    }
}
