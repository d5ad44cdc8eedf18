#include "camera/buttons/FrontBackButtonView.h"

FrontBackButtonView::FrontBackButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 44, 44)) {
    if (UIImagePtr picture = UIImage::imageNamed("cameraFrontBack"))
        button().setImage(picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate), UIControlStateNormal);
}

void FrontBackButtonView::buttonTouched() {
    frontFacing_ = !frontFacing_;
    if (block_) block_();
    const bool front = frontFacing_;
    auto button = std::static_pointer_cast<UIView>(this->button().shared_from_this());
    UIView::transitionWithView(
        button, kTransitionDuration,
        front ? UIViewAnimationOptionTransitionFlipFromLeft : UIViewAnimationOptionTransitionFlipFromRight,
        [button, front] {
            button->setTransform(front ? CGAffineTransformMakeScale(-1, 1) : CGAffineTransformIdentity);
        },
        nullptr);
}
