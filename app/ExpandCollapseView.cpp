#include "app/ExpandCollapseView.h"

#include <numbers>

#include "platform/uikit/UIImage.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"

ExpandCollapseView::ExpandCollapseView(CGRect frame) : UIView(frame) { initialize(); }

void ExpandCollapseView::initialize() {
    setBackgroundColor(UIColor::clearColor());
    button_ = UIButton::buttonWithType(UIButtonType::Custom);
    button_->setTintColor(AppAppearance::defaultExpandCollapseColor());
    button_->setFrame(bounds());
    button_->setContentMode(UIViewContentMode::Center);
    if (UIImagePtr picture = UIImage::imageNamed("expandCollapse"))
        button_->setImage(picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate), UIControlStateNormal);
    button_->addTarget(
        this, [this](UIControl&, const UIEvent*) { expandCollapseTouched(); }, UIControlEventTouchUpInside);
    PositioningUtility::positionViewAtCenterOfView(*button_, *this);
    addSubview(button_);
}

void ExpandCollapseView::setExpanded(bool expanded) {
    expanded_ = expanded;
    expanding_ = true;
    if (block_) block_(expanded);
    expanding_ = false;
}

void ExpandCollapseView::expandCollapseTouched() {
    setExpanded(!expanded_);
    const bool expanded = expanded_;
    auto button = std::static_pointer_cast<UIView>(button_->shared_from_this());
    UIView::transitionWithView(
        button, kFlipDuration,
        expanded ? UIViewAnimationOptionTransitionFlipFromTop : UIViewAnimationOptionTransitionFlipFromBottom,
        [this, button, expanded] {
            setAlpha(1);
            // Moved up first and then turned half round, the chevron ends upside down and lower.
            button->setTransform(expanded ? CGAffineTransformConcat(CGAffineTransformMakeTranslation(0, -kExpandedDrop),
                                                                    CGAffineTransformMakeRotation(std::numbers::pi))
                                          : CGAffineTransformIdentity);
        },
        nullptr);
}
