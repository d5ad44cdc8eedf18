#include "ui/widgets/CompareButtonView.h"

CompareButtonView::CompareButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 44, 44)) {
    if (UIImagePtr picture = UIImage::imageNamed("compare.png"))
        button().setImage(picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate), UIControlStateNormal);
}

void CompareButtonView::buttonTouched() {
    animatePress();
    comparing_ = !comparing_;
    if (block_) block_(comparing_);
}
