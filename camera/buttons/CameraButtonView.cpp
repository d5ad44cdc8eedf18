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

bool CameraButtonView::isEnabled() const { return button().isEnabled(); }

void CameraButtonView::setEnabled(bool enabled) {
    button().setEnabled(enabled);
    // The disc itself dims: the view's own alpha belongs to the bar's slide animations.
    button().setAlpha(enabled ? 1 : kDisabledAlpha);
}

void CameraButtonView::buttonTouched() {
    animatePress();
    if (block_) block_();
}
