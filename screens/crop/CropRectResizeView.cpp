#include "screens/crop/CropRectResizeView.h"

#include <cmath>

namespace {
// Whole points, halves away from zero, as single-precision arithmetic gives them.
CGFloat nearest(CGFloat v) { return std::round(static_cast<float>(v)); }
}  // namespace

CropRectResizeView::CropRectResizeView(CGRect frame) : UIView({frame.origin, {kSize, kSize}}) {
    setBackgroundColor(UIColor::clearColor());
    setExclusiveTouch(true);  // a handle being dragged takes no other touches
    pan_ = std::make_shared<UIPanGestureRecognizer>();
    pan_->addTarget(this, [this](UIGestureRecognizer&) { handlePan(*pan_); });
}

void CropRectResizeView::willMoveToSuperview(UIView* newSuperview) {
    UIView::willMoveToSuperview(newSuperview);
    if (newSuperview && pan_->view() != this) addGestureRecognizer(pan_);
}

void CropRectResizeView::handlePan(UIPanGestureRecognizer& recognizer) {
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began: {
        const CGPoint t = recognizer.translationInView(superview());
        startPoint_ = {nearest(t.x), t.y};
        if (delegate_) delegate_->cropRectResizeViewDidBeginResizing(*this);
        return;
    }
    case UIGestureRecognizerState::Changed: {
        const CGPoint t = recognizer.translationInView(superview());
        translation_ = {nearest(startPoint_.x + t.x), nearest(startPoint_.y + t.y)};
        if (delegate_) delegate_->cropRectResizeViewDidResize(*this);
        return;
    }
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
        if (delegate_) delegate_->cropRectResizeViewDidEndResizing(*this);
        return;
    default: return;
    }
}
