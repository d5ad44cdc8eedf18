#include "camera/buttons/FlashButtonView.h"

FlashButtonView::FlashButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 44, 44)) {
    updateButtonForCurrentFlashMode();
}

void FlashButtonView::setFlashMode(std::int64_t mode) {
    flashMode_ = mode;
    updateButtonForCurrentFlashMode();
}

UIImagePtr FlashButtonView::imageForFlashMode() const {
    const char* name = flashMode_ == 2   ? "cameraFlashAuto"
                       : flashMode_ == 1 ? "cameraFlashOn"
                       : flashMode_ == 0 ? "cameraFlashOff"
                                         : nullptr;
    if (!name) return nullptr;
    UIImagePtr picture = UIImage::imageNamed(name);
    return picture ? picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate) : nullptr;
}

void FlashButtonView::updateButtonForCurrentFlashMode() {
    button().setImage(imageForFlashMode(), UIControlStateNormal);
}

void FlashButtonView::buttonTouched() {
    if (flashMode_ == 0) flashMode_ = 2;
    else if (flashMode_ == 2) flashMode_ = 1;
    else if (flashMode_ == 1) flashMode_ = 0;
    if (block_) block_();
    auto button = std::static_pointer_cast<UIView>(this->button().shared_from_this());
    UIView::transitionWithView(
        button, kTransitionDuration, UIViewAnimationOptionTransitionCrossDissolve,
        [this] { updateButtonForCurrentFlashMode(); }, nullptr);
}
