#include "camera/buttons/AspectButtonView.h"

#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"

AspectButtonView::AspectButtonView(CGRect frame)
    : ButtonView(frame, CGRectMake(0, 0, 44, 44)),
      aspectView_(std::make_shared<UIView>(CGRectMake(0, 0, kOutlineSide, kOutlineSide))) {
    CALayer& layer = *aspectView_->layer();
    layer.setCornerRadius(4.0);
    layer.setBorderWidth(1.5);
    layer.setBorderColor(AppAppearance::defaultSecondaryColor().CGColor());
    aspectView_->setUserInteractionEnabled(false);
    button().addSubview(aspectView_);
    PositioningUtility::positionViewAtCenterOfView(*aspectView_, button());
}

void AspectButtonView::buttonTouched() {
    square_ = !square_;
    if (block_) block_();
    animatePress(*aspectView_);
}
