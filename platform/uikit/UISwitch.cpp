#include "platform/uikit/UISwitch.h"

namespace {
constexpr CGSize kSize{51, 31};
constexpr CGFloat kThumbInset = 2;
}  // namespace

UISwitch::UISwitch(CGRect frame) : UIControl({frame.origin, kSize}), thumb_(std::make_shared<UIView>()) {
    layer()->setCornerRadius(kSize.height / 2);
    const CGFloat side = kSize.height - 2 * kThumbInset;
    thumb_->setFrame({{kThumbInset, kThumbInset}, {side, side}});
    thumb_->setBackgroundColor(UIColor::whiteColor());
    thumb_->layer()->setCornerRadius(side / 2);
    thumb_->setUserInteractionEnabled(false);
    addSubview(thumb_);
    updateLook();
}

void UISwitch::setFrame(CGRect frame) { UIControl::setFrame({frame.origin, kSize}); }

UIColor UISwitch::onTintColor() const { return onTint_ ? *onTint_ : UIColor::colorWithRed(0.3, 0.85, 0.39, 1); }

void UISwitch::setOnTintColor(std::optional<UIColor> color) {
    onTint_ = std::move(color);
    updateLook();
}

void UISwitch::setOn(bool on, bool animated) {
    on_ = on;
    UIView::animateWithDuration(animated ? 0.2 : 0, [this] { updateLook(); });
}

void UISwitch::updateLook() {
    setBackgroundColor(on_ ? onTintColor() : UIColor::colorWithWhite(0.85, 1));
    const CGFloat side = kSize.height - 2 * kThumbInset;
    thumb_->setCenter({on_ ? kSize.width - kThumbInset - side / 2 : kThumbInset + side / 2, kSize.height / 2});
}

void UISwitch::endTrackingWithTouch(const UITouch* touch, const UIEvent* event) {
    if (!touch || !CGRectContainsPoint(bounds(), touch->locationInView(this))) return;
    setOn(!on_, true);
    sendActionsForControlEvents(UIControlEventValueChanged, event);
}
