#include "ui/widgets/ImageContentView.h"

void ImageContentView::setImage(UIImagePtr image) {
    if (!image) return setContentView(nullptr);
    auto view = imageView();
    if (view && view->image() && view->image()->size() == image->size()) {
        view->setImage(std::move(image));
        return;
    }
    auto fresh = std::make_shared<UIImageView>(CGRectMake(0, 0, image->size().width, image->size().height));
    fresh->setContentMode(imageViewContentMode_);
    fresh->setImage(std::move(image));
    fresh->setClipsToBounds(true);
    setContentView(std::move(fresh));
}

UIImagePtr ImageContentView::image() const {
    auto view = imageView();
    return view ? view->image() : nullptr;
}

void ImageContentView::setContentMode(UIViewContentMode mode) {
    imageViewContentMode_ = mode;
    if (auto view = imageView()) view->setContentMode(mode);
}
