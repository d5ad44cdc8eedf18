#include "ui/widgets/ImageButtonView.h"

ImageButtonView::ImageButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 44, 44)) {}

ImageButtonView::ImageButtonView(UIImagePtr image) : ImageButtonView(CGRectMake(0, 0, 44, 44)) {
    setImage(std::move(image));
}

ImageButtonView::ImageButtonView(UIImagePtr image, UIEdgeInsets insets) : ImageButtonView(std::move(image)) {
    setInsets(insets);
}

void ImageButtonView::setImage(UIImagePtr image) {
    image_ = std::move(image);
    button().setImage(image_ ? image_->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate) : nullptr,
                      UIControlStateNormal);
}

void ImageButtonView::setInsets(UIEdgeInsets insets) {
    insets_ = insets;
    button().setImageEdgeInsets(insets);
}

void ImageButtonView::buttonTouched() {
    animatePress();
    if (block_) block_();
}
