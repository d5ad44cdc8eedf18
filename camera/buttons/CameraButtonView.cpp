#include "camera/buttons/CameraButtonView.h"

#include "ui/appearance/AppAppearance.h"

CameraButtonView::CameraButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, kDiameter, kDiameter)) {
    CALayer& layer = *button().layer();
    layer.setCornerRadius(kDiameter / 2);
    layer.setBorderWidth(kBorderWidth);
    layer.setBorderColor(AppAppearance::defaultLightColor().CGColor());
    setButtonColor(AppAppearance::tintColor());
}

void CameraButtonView::setButtonColor(const UIColor& color) {
    button().setBackgroundColor(AppAppearance::gradientColorForColor(color));
}

void CameraButtonView::buttonTouched() {
    animatePress();
    if (block_) block_();
}
