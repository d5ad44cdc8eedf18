#include "platform/uikit/UISlider.h"

#include <algorithm>

UISlider::UISlider(CGRect frame)
    : UIControl(frame),
      minimumTrack_(std::make_shared<UIView>()),
      maximumTrack_(std::make_shared<UIView>()),
      thumb_(std::make_shared<UIView>(CGRectMake(0, 0, kThumbSide, kThumbSide))) {
    for (const auto& view : {minimumTrack_, maximumTrack_, thumb_}) {
        view->setUserInteractionEnabled(false);
        addSubview(view);
    }
    maximumTrack_->setBackgroundColor(UIColor::colorWithWhite(0.72, 1));
    thumb_->setBackgroundColor(UIColor::whiteColor());
    thumb_->layer()->setCornerRadius(kThumbSide / 2);
    thumb_->layer()->setShadowOpacity(0.25f);
    thumb_->layer()->setShadowOffset({0, 2});
    tintColorDidChange();
}

void UISlider::setValue(float value, bool animated) {
    value_ = std::clamp(value, minimum_, std::max(minimum_, maximum_));
    UIView::animateWithDuration(animated ? 0.2 : 0, [this] { layoutSubviews(); });
}

void UISlider::setMinimumValue(float value) {
    minimum_ = value;
    maximum_ = std::max(maximum_, value);
    setValue(value_);
}

void UISlider::setMaximumValue(float value) {
    maximum_ = value;
    minimum_ = std::min(minimum_, value);
    setValue(value_);
}

float UISlider::valueForPoint(CGPoint point) const {
    const CGFloat travel = bounds().size.width - kThumbSide;
    const CGFloat t = travel > 0 ? std::clamp((point.x - kThumbSide / 2) / travel, 0.0, 1.0) : 0;
    return static_cast<float>(minimum_ + t * (maximum_ - minimum_));
}

void UISlider::layoutSubviews() {
    const CGRect b = bounds();
    const CGFloat span = maximum_ - minimum_;
    const CGFloat t = span > 0 ? (value_ - minimum_) / span : 0;
    const CGFloat x = kThumbSide / 2 + t * std::max<CGFloat>(0, b.size.width - kThumbSide);
    const CGFloat mid = b.size.height / 2;
    minimumTrack_->setFrame({{kThumbSide / 2, mid - 1}, {x - kThumbSide / 2, 2}});
    maximumTrack_->setFrame({{x, mid - 1}, {std::max<CGFloat>(0, b.size.width - kThumbSide / 2 - x), 2}});
    thumb_->setCenter({x, mid});
}

void UISlider::tintColorDidChange() { minimumTrack_->setBackgroundColor(tintColor()); }

void UISlider::track(const UITouch& touch, const UIEvent* event) {
    const float before = value_;
    setValue(valueForPoint(touch.locationInView(this)));
    if (value_ == before) return;
    if (continuous_) sendActionsForControlEvents(UIControlEventValueChanged, event);
    else changedWhileTracking_ = true;
}

bool UISlider::beginTrackingWithTouch(const UITouch& touch, const UIEvent* event) {
    changedWhileTracking_ = false;
    track(touch, event);
    return true;
}

bool UISlider::continueTrackingWithTouch(const UITouch& touch, const UIEvent* event) {
    track(touch, event);
    return true;
}

void UISlider::endTrackingWithTouch(const UITouch* touch, const UIEvent* event) {
    if (touch) track(*touch, event);
    if (changedWhileTracking_) sendActionsForControlEvents(UIControlEventValueChanged, event);
    changedWhileTracking_ = false;
}
