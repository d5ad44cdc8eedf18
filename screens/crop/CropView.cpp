#include "screens/crop/CropView.h"

#include <cmath>

#include "platform/avfoundation/AVUtilities.h"
#include "platform/uikit/UIApplication.h"

namespace {

bool finite(CGRect r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

}  // namespace

// The scroll view's and the rotation recogniser's delegate, held by the crop view (both hold
// their delegates weakly).
struct CropView::Delegates : UIScrollViewDelegate, UIGestureRecognizerDelegate {
    explicit Delegates(CropView& owner) : owner(owner) {}
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView& s) override {
        return owner.viewForZoomingInScrollView(s);
    }
    void scrollViewWillEndDragging(UIScrollView& s, CGPoint velocity, CGPoint& target) override {
        owner.scrollViewWillEndDragging(s, velocity, target);
    }
    // The rotation runs together with the scroll view's pan and pinch.
    bool shouldRecognizeSimultaneously(UIGestureRecognizer&, UIGestureRecognizer&) override { return true; }
    CropView& owner;
};

CropView::CropView(CGRect frame) : UIView(frame) {
    delegates_ = std::make_shared<Delegates>(*this);
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setBackgroundColor(UIColor::clearColor());

    scrollView_ = std::make_shared<UIScrollView>(bounds());
    scrollView_->setDelegate(delegates_);
    scrollView_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
                                     UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    scrollView_->setBackgroundColor(UIColor::clearColor());
    scrollView_->setMaximumZoomScale(kMaximumZoomScale);
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    scrollView_->setBounces(false);
    scrollView_->setBouncesZoom(false);
    // The picture stays visible outside the window, under the dimming.
    scrollView_->setClipsToBounds(false);
    addSubview(scrollView_);

    rotation_ = std::make_shared<UIRotationGestureRecognizer>();
    rotation_->addTarget(this, [this](UIGestureRecognizer&) { handleRotation(*rotation_); });
    rotation_->setDelegate(delegates_);
    scrollView_->addGestureRecognizer(rotation_);

    cropRectView_ = std::make_shared<CropRectView>();
    cropRectView_->setDelegate(this);
    addSubview(cropRectView_);

    for (auto& overlay : overlays_) {
        overlay = std::make_shared<UIView>();
        overlay->setBackgroundColor(dimmingColor());
        overlay->setUserInteractionEnabled(false);
        addSubview(overlay);
    }
}

CropView::~CropView() {
    cropRectView_->setDelegate(nullptr);
    rotation_->removeTarget(this);
}

// ---- Picture and layout --------------------------------------------------------------------

void CropView::setImage(UIImagePtr image) {
    if (image == image_) return;
    image_ = std::move(image);
    photoSize_ = CGSizeZero;
    setKeepingCropAspectRatio(false);
    if (imageView_) imageView_->removeFromSuperview();
    if (zoomingView_) zoomingView_->removeFromSuperview();
    imageView_.reset();
    zoomingView_.reset();
    setNeedsLayout();
}

CGRect CropView::insetBounds(CGRect bounds, UIInterfaceOrientation o) {
    const bool portrait = o == UIInterfaceOrientation::Portrait || o == UIInterfaceOrientation::PortraitUpsideDown;
    const CGFloat dy = portrait ? kPortraitVerticalInset : kLandscapeVerticalInset;
    return CGRectInset(bounds, kHorizontalInset, dy);
}

void CropView::layoutSubviews() {
    if (!image_) return;
    const UIInterfaceOrientation o = UIApplication::sharedApplication().statusBarOrientation();
    editingRect_ = insetBounds(bounds(), o);
    if (!imageView_) {
        insetRect_ = editingRect_;
        setupImageView();
    } else if (o != interfaceOrientation_ && !resizing_) {
        // The interface turned: the window fills the new editing rectangle at once, showing
        // the same part of the picture.
        zoomTo(scrollView_->frame(), false, false, true);
    }
    if (!resizing_) layoutCropRectViewWithCropRect(scrollView_->frame());
    interfaceOrientation_ = o;
}

void CropView::setupImageView() {
    const CGRect fit = AVMakeRectWithAspectRatioInsideRect(image_->size(), insetRect_);
    scrollView_->setMinimumZoomScale(1);
    scrollView_->setFrame(fit);
    scrollView_->setContentOffset({0, 0});
    zoomingView_ = std::make_shared<UIView>(scrollView_->bounds());
    zoomingView_->setBackgroundColor(UIColor::clearColor());
    scrollView_->addSubview(zoomingView_);
    scrollView_->setZoomScale(1);  // the zoom of an earlier picture does not carry over
    scrollView_->setContentSize(fit.size);
    imageView_ = std::make_shared<UIImageView>(zoomingView_->bounds());
    imageView_->setBackgroundColor(UIColor::clearColor());
    imageView_->setContentMode(UIViewContentMode::ScaleAspectFit);
    imageView_->setImage(image_);
    zoomingView_->addSubview(imageView_);
}

void CropView::layoutCropRectViewWithCropRect(CGRect r) {
    cropRectView_->setFrame(r);
    layoutOverlayViewsWithCropRect(r);
}

void CropView::layoutOverlayViewsWithCropRect(CGRect r) {
    const CGFloat W = bounds().size.width, H = bounds().size.height, o = kOverlayOverhang;
    overlays_[TopOverlay]->setFrame({{0, -o}, {W, CGRectGetMinY(r) + o}});
    overlays_[LeftOverlay]->setFrame({{0, CGRectGetMinY(r)}, {CGRectGetMinX(r), CGRectGetHeight(r)}});
    overlays_[RightOverlay]->setFrame(
        {{CGRectGetMaxX(r), CGRectGetMinY(r)}, {W - CGRectGetMaxX(r), CGRectGetHeight(r)}});
    overlays_[BottomOverlay]->setFrame({{0, CGRectGetMaxY(r)}, {W, H - CGRectGetMaxY(r) + o}});
}

UIView* CropView::hitTest(CGPoint point) {
    if (!isUserInteractionEnabled() || isHidden() || alpha() <= 0.01) return nullptr;
    if (UIView* handle = cropRectView_->hitTest(convertPointToView(point, cropRectView_.get()))) return handle;
    if (zoomingView_) {
        const CGPoint p = convertPointToView(point, zoomingView_.get());
        const CGFloat z = scrollView_->zoomScale();
        if (CGRectContainsPoint(zoomingView_->frame(), {p.x * z, p.y * z})) return scrollView_.get();
    }
    return UIView::hitTest(point);
}

// ---- Zooming -------------------------------------------------------------------------------

void CropView::resetCropRect(bool animated) {
    if (!imageView_) return;
    auto reset = [this] {
        imageView_->setTransform(CGAffineTransformIdentity);
        scrollView_->setMinimumZoomScale(1);
        scrollView_->setZoomScale(1);
        scrollView_->setBounds(imageView_->bounds());
        layoutCropRectViewWithCropRect(scrollView_->frame());
    };
    if (animated)
        UIView::animateWithDuration(kZoomDuration, 0, UIViewAnimationOptionBeginFromCurrentState, reset, nullptr);
    else reset();
}

void CropView::setMinimumZoomScale() {
    const CGSize window = scrollView_->bounds().size, picture = imageView_->bounds().size;
    scrollView_->setMinimumZoomScale(std::fmax(window.width / picture.width, window.height / picture.height));
}

void CropView::zoomToCropRect(CGRect rect, bool center, bool animated) { zoomTo(rect, center, animated, false); }

void CropView::zoomTo(CGRect R, bool center, bool animated, bool force) {
    if (!imageView_ || !finite(R) || !(R.size.width > 0 && R.size.height > 0)) return;
    if (!force && R == scrollView_->frame()) return;
    const CGFloat s = std::fmin(editingRect_.size.width / R.size.width, editingRect_.size.height / R.size.height);
    const CGSize n{R.size.width * s, R.size.height * s};
    const CGRect N{{(bounds().size.width - n.width) / 2, (bounds().size.height - n.height) / 2}, n};
    const CGFloat zoom = scrollView_->zoomScale();
    CGRect Z = zoomingView_->convertRectFromView(R, this);
    Z.size = {R.size.width / zoom, R.size.height / zoom};
    if (center) {
        const CGRect b = imageView_->bounds();
        Z.origin = {CGRectGetMidX(b) - Z.size.width / 2, CGRectGetMidY(b) - Z.size.height / 2};
    }
    UIView::animateWithDuration(
        animated ? kZoomDuration : 0, 0, UIViewAnimationOptionBeginFromCurrentState,
        [this, N, Z, zoom] {
            scrollView_->setBounds(N);
            setMinimumZoomScale();
            scrollView_->setZoomScale(zoom + kZoomNudge);
            scrollView_->zoomToRect(Z, false);
            layoutCropRectViewWithCropRect(N);
        },
        nullptr);
}

CGSize CropView::photoSize() const {
    if (photoSize_.width > 0 && photoSize_.height > 0 && std::isfinite(photoSize_.width + photoSize_.height))
        return photoSize_;
    return image_ ? image_->size() : CGSizeZero;
}

double CropView::photoShapeOverPicture() const {
    if (!image_) return 1;
    const CGSize picture = image_->size(), photo = photoSize();
    return (photo.width / photo.height) / (picture.width / picture.height);
}

void CropView::setCropAspectRatio(double photoRatio, bool center) {
    if (!imageView_ || !(photoRatio > 0) || !std::isfinite(photoRatio)) return;
    // The same shape on the picture, whose sides were rounded apart from the photo's.
    const double ratio = photoRatio / photoShapeOverPicture();
    if (!(ratio > 0) || !std::isfinite(ratio)) return;
    if (keepingCropAspectRatio_) cropRectView_->setFixedAspectRatio(ratio);
    const CGRect F = scrollView_->frame();
    CGFloat w = F.size.width, h = F.size.height;
    const CGSize shown = imageView_->bounds().size;
    if (ratio <= 1) {
        w = h * ratio;
        if (w > shown.width) w = F.size.width, h = w / ratio;
    } else {
        h = w / ratio;
        if (h > shown.height) h = F.size.height, w = h * ratio;
    }
    zoomToCropRect({F.origin, {w, h}}, center, true);
}

double CropView::cropAspectRatio() const {
    const CGRect r = cropRect();
    return r.size.width / r.size.height;
}

void CropView::setKeepingCropAspectRatio(bool keeping) {
    keepingCropAspectRatio_ = keeping;
    cropRectView_->setKeepingAspectRatio(keeping);
}

void CropView::setImageCropRect(CGRect r) {
    if (!imageView_) layoutIfNeeded();
    resetCropRect(false);
    if (!imageView_ || !finite(r)) return;
    const CGRect F = scrollView_->frame();
    const CGSize size = image_->size();
    const CGFloat k = std::fmin(F.size.width / size.width, F.size.height / size.height);
    const CGRect scaled{{F.origin.x + r.origin.x * k, F.origin.y + r.origin.y * k},
                        {r.size.width * k, r.size.height * k}};
    // Only a rectangle with area on the picture: one that merely touches it does nothing.
    const CGRect onPicture = CGRectIntersection(scaled, F);
    if (!CGRectIsEmpty(onPicture)) setCropRect(onPicture);
}

// ---- Dragging ------------------------------------------------------------------------------

void CropView::cropRectViewDidBeginEditing(CropRectView&) { resizing_ = true; }

void CropView::cropRectViewEditingChanged(CropRectView& view) {
    const CGRect c = cappedCropRectInImageRectWithCropRectView(view);
    layoutCropRectViewWithCropRect(c);
    automaticZoomIfEdgeTouched(c);
}

void CropView::cropRectViewDidEndEditing(CropRectView& view) {
    resizing_ = false;
    zoomToCropRect(view.frame(), false, true);
}

CGRect CropView::cappedCropRectInImageRectWithCropRectView(const CropRectView& view) const {
    const CGRect R = view.frame();
    if (!zoomingView_) return R;
    const CGRect S = scrollView_->convertRectFromView(R, this);
    const CGRect Z = zoomingView_->frame();
    const CGRect I = convertRectFromView(Z, scrollView_.get());
    const bool pastLeft = CGRectGetMinX(S) < CGRectGetMinX(Z), pastTop = CGRectGetMinY(S) < CGRectGetMinY(Z);
    const bool pastRight = CGRectGetMaxX(S) > CGRectGetMaxX(Z), pastBottom = CGRectGetMaxY(S) > CGRectGetMaxY(Z);
    if (keepingCropAspectRatio_ && R.size.width > 0 && R.size.height > 0) {
        if (!pastLeft && !pastTop && !pastRight && !pastBottom) return R;
        // The part on the picture, and in it the largest rectangle of the locked ratio. It keeps
        // an edge that stayed on the picture, the one that moved least since the drag began
        // where neither crossed, and is centred where both did.
        const CGRect began = view.initialRect();
        const CGFloat left = pastLeft ? CGRectGetMinX(I) : CGRectGetMinX(R);
        const CGFloat right = pastRight ? CGRectGetMaxX(I) : CGRectGetMaxX(R);
        const CGFloat top = pastTop ? CGRectGetMinY(I) : CGRectGetMinY(R);
        const CGFloat bottom = pastBottom ? CGRectGetMaxY(I) : CGRectGetMaxY(R);
        const double ratio = R.size.width / R.size.height;
        const CGFloat w = std::fmin(right - left, (bottom - top) * ratio), h = w / ratio;
        auto place = [](bool pastLow, bool pastHigh, CGFloat low, CGFloat high, CGFloat size, bool keepLow) {
            if (pastLow && pastHigh) return (low + high - size) / 2;
            if (pastLow || pastHigh) return pastLow ? high - size : low;
            return keepLow ? low : high - size;
        };
        const bool keepLeft =
            std::fabs(CGRectGetMinX(R) - CGRectGetMinX(began)) <= std::fabs(CGRectGetMaxX(R) - CGRectGetMaxX(began));
        const bool keepTop =
            std::fabs(CGRectGetMinY(R) - CGRectGetMinY(began)) <= std::fabs(CGRectGetMaxY(R) - CGRectGetMaxY(began));
        return {
            {place(pastLeft, pastRight, left, right, w, keepLeft), place(pastTop, pastBottom, top, bottom, h, keepTop)},
            {w, h}};
    }
    CGFloat x = R.origin.x, y = R.origin.y, w = R.size.width, h = R.size.height;
    if (pastLeft) {
        x = CGRectGetMinX(I);
        w = CGRectGetMaxX(S);
    }
    if (pastTop) {
        y = CGRectGetMinY(I);
        h = CGRectGetMaxY(S);
    }
    if (pastRight) w = CGRectGetMaxX(I) - x;
    if (pastBottom) h = CGRectGetMaxY(I) - y;
    return {{x, y}, {w, h}};
}

void CropView::automaticZoomIfEdgeTouched(CGRect c) {
    const CGRect e = editingRect_;
    const CGFloat m = kAutomaticZoomMargin;
    if (CGRectGetMinX(c) < CGRectGetMinX(e) - m || CGRectGetMaxX(c) > CGRectGetMaxX(e) + m ||
        CGRectGetMinY(c) < CGRectGetMinY(e) - m || CGRectGetMaxY(c) > CGRectGetMaxY(e) + m)
        UIView::animateWithDuration(
            kAutomaticZoomDuration, 0, UIViewAnimationOptionBeginFromCurrentState,
            [this] { zoomToCropRect(cropRectView_->frame(), false, true); }, nullptr);
}

void CropView::scrollViewWillEndDragging(UIScrollView& scrollView, CGPoint, CGPoint& target) {
    target = scrollView.contentOffset();
}

// ---- Rotation ------------------------------------------------------------------------------

float CropView::rotationAngle() const {
    const CGAffineTransform t = rotation();
    return std::atan2(static_cast<float>(t.b), static_cast<float>(t.a));
}

void CropView::setRotationAngle(CGFloat angle) {
    if (imageView_) imageView_->setTransform(CGAffineTransformMakeRotation(angle));
}

void CropView::setRotationAngle(CGFloat angle, bool snap) {
    if (snap) {
        const float quarter = static_cast<float>(M_PI_2);
        angle = std::nearbyint(static_cast<float>(angle) / quarter) * quarter;
    }
    setRotationAngle(angle);
}

void CropView::handleRotation(UIRotationGestureRecognizer& recognizer) {
    if (imageView_) imageView_->setTransform(CGAffineTransformRotate(imageView_->transform(), recognizer.rotation()));
    recognizer.setRotation(0);
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began: cropRectView_->setShowsGridMinor(true); break;
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed: cropRectView_->setShowsGridMinor(false); break;
    default: break;
    }
}
