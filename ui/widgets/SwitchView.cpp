#include "ui/widgets/SwitchView.h"

#include "ui/appearance/AppAppearance.h"

SwitchView::SwitchView(CGRect frame) : UIView(frame) { initialize(); }

void SwitchView::initialize() {
    const CGSize size = bounds().size;
    setBackgroundColor(UIColor::clearColor());
    layer()->setBorderWidth(1.0);
    layer()->setBorderColor(AppAppearance::defaultLightColor().CGColor());
    layer()->setCornerRadius(size.width * 0.5);
    onView_ = std::make_shared<UIView>(CGRectMake(4, 4, size.width - 8, size.height - 8));
    onView_->setBackgroundColor(AppAppearance::defaultLightColor());
    onView_->layer()->setCornerRadius(onView_->bounds().size.width * 0.5);
    addSubview(onView_);
    setOn(false);
    auto button = std::make_shared<UIButton>(bounds());
    button->setBackgroundColor(UIColor::clearColor());
    button->addTarget(
        this, [this](UIControl&, const UIEvent*) { switchTouched(); }, UIControlEventTouchUpInside);
    addSubview(button);
}

void SwitchView::setOn(bool on, bool animated) {
    on_ = on;
    UIView::animateWithDuration(animated ? kDuration : 0, [this, on] {
        onView_->setTransform(on ? CGAffineTransformIdentity : CGAffineTransformMakeScale(0.01, 0.01));
        onView_->setAlpha(on ? 1 : 0);
    });
}

void SwitchView::switchTouched() {
    setOn(!on_, true);
    if (changedBlock_) changedBlock_(on_);
}
