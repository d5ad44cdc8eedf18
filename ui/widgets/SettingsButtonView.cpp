#include "ui/widgets/SettingsButtonView.h"

#include <numbers>

SettingsButtonView::SettingsButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 44, 44)) {
    if (UIImagePtr picture = UIImage::imageNamed("settings"))
        button().setImage(picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate), UIControlStateNormal);
}

void SettingsButtonView::buttonTouched() {
    expanded_ = !expanded_;
    const bool expanded = expanded_;
    UIButton* button = &this->button();
    std::weak_ptr<UIView> weakSelf = weak_from_this();
    UIView::animateWithDuration(
        kSpringDuration, 0, kSpringDamping, kSpringVelocity, 0,
        [button, expanded] {
            button->setTransform(expanded ? CGAffineTransformMakeRotation(std::numbers::pi / 2)
                                          : CGAffineTransformIdentity);
        },
        [weakSelf, expanded](bool) {
            if (auto self = std::static_pointer_cast<SettingsButtonView>(weakSelf.lock()))
                if (self->block_) self->block_(expanded);
        });
}
