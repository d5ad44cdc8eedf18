#include "app/controls/TypeSelectView.h"

#include "model/DeviceUtility.h"
#include "platform/foundation/NSLocalizedString.h"
#include "ui/appearance/AppAppearance.h"

namespace {
constexpr CGFloat kDamping = 0.8;
constexpr CGFloat kVelocity = 1.0;
}  // namespace

TypeSelectView::TypeSelectView(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::clearColor());
    modeButton_ = buttonForType(NSLocalizedString("Mode"), TypeController::TypeSelectionMode);
    adjustButton_ = buttonForType(NSLocalizedString("Adjust"), TypeController::TypeSelectionAdjust);
    colorButton_ = buttonForType(NSLocalizedString("Color"), TypeController::TypeSelectionColor);

    const CGFloat width = DeviceUtility::isIPad() ? 80 : 60;
    selectView_ = std::make_shared<UIView>(CGRectMake(0, 0, width, 40));
    setSelectViewColor(AppAppearance::defaultTintColor());
    selectView_->layer()->setCornerRadius(8.0);
    insertSubview(selectView_, 0);
}

std::shared_ptr<UIButton> TypeSelectView::buttonForType(const std::string& title, int tag) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setBackgroundColor(UIColor::clearColor());
    button->titleLabel()->setFont(DeviceUtility::isIPad() ? AppAppearance::defaultFontOfSize(15.0)
                                                          : AppAppearance::defaultFont());
    button->setTitleColor(AppAppearance::defaultLightColor(), UIControlStateNormal);
    button->setTitle(title, UIControlStateNormal);
    button->sizeToFit();
    button->setTag(tag);
    button->addTarget(
        this, [this](UIControl& sender, const UIEvent*) { typeButtonTouched(static_cast<UIButton&>(sender)); },
        UIControlEventTouchUpInside);
    addSubview(button);
    return button;
}

UIButton* TypeSelectView::buttonWithTag(int type) const {
    for (const auto& button : {modeButton_, adjustButton_, colorButton_})
        if (button->tag() == type) return button.get();
    return nullptr;
}

void TypeSelectView::layoutSubviews() {
    const CGRect b = bounds();
    modeButton_->setCenter(CGPointMake(b.size.width * 0.15, b.size.height / 2));
    adjustButton_->setCenter(CGPointMake(b.size.width * 0.5, b.size.height / 2));
    colorButton_->setCenter(CGPointMake(b.size.width * 0.85, b.size.height / 2));
    if (UIButton* chosen = buttonWithTag(type_)) selectView_->setCenter(chosen->center());
}

void TypeSelectView::typeButtonTouched(UIButton& sender) { setType(sender.tag()); }

void TypeSelectView::setType(int type) {
    if (type == type_) return;
    if (UIButton* target = buttonWithTag(type)) {
        const CGPoint center = target->center();
        UIView::animateWithDuration(
            kHighlightDuration, 0, kDamping, kVelocity, 0, [this, center] { selectView_->setCenter(center); }, nullptr);
    }
    const int old = type_;
    if (block_) block_(old, type);
    type_ = type;
}

void TypeSelectView::setSelectViewColor(const UIColor& color) {
    CALayer& layer = *selectView_->layer();
    if (useSolidColor_) {
        layer.setBorderWidth(0);
        selectView_->setBackgroundColor(color);
    } else {
        layer.setBorderWidth(2.0);
        layer.setBorderColor(color.CGColor());
        selectView_->setBackgroundColor(UIColor::clearColor());
    }
}

void TypeSelectView::setSelectViewColor(const UIColor& color, bool animated) {
    UIView::animateWithDuration(
        animated ? kHighlightDuration : 0, 0, kDamping, kVelocity, 0, [this, color] { setSelectViewColor(color); },
        nullptr);
}
