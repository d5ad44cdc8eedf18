#include "platform/uikit/UIImageView.h"

#include "platform/uikit/UIGraphics.h"

UIImageView::UIImageView(CGRect frame) : UIView(frame) { setUserInteractionEnabled(false); }

UIImageView::UIImageView(UIImagePtr image) : UIImageView(CGRectZero) {
    setImage(std::move(image));
    sizeToFit();
}

void UIImageView::setImage(UIImagePtr image) {
    if (image_ == image) return;
    image_ = std::move(image);
    updateContents();
}

void UIImageView::setHighlightedImage(UIImagePtr image) {
    highlightedImage_ = std::move(image);
    updateContents();
}

void UIImageView::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    updateContents();
}

CGSize UIImageView::sizeThatFits(CGSize) const { return image_ ? image_->size() : CGSizeZero; }

void UIImageView::sizeToFit() {
    CGRect f = frame();
    f.size = sizeThatFits(f.size);
    setFrame(f);
}

void UIImageView::tintColorDidChange() {
    const UIImagePtr& shown = highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
    if (shown && shown->renderingMode() == UIImageRenderingMode::AlwaysTemplate) updateContents();
}

CGImageRef UIImageView::contentsForImage(const UIImage& image, const UIColor& tint) {
    return contentsForImage(image, tint, image.size());
}

CGImageRef UIImageView::contentsForImage(const UIImage& image, const UIColor& tint, CGSize size) {
    if (!image.CGImage()) return nullptr;  // an empty picture shows nothing
    const bool tinted = image.renderingMode() == UIImageRenderingMode::AlwaysTemplate;
    const bool sliced = image.isResizable() && size.width > 0 && size.height > 0;
    if (!sliced) size = image.size();
    if (!tinted && !sliced && image.imageOrientation() == UIImageOrientation::Up) return image.CGImage();
    UIGraphicsBeginImageContextWithOptions(size, false, image.scale());
    const CGRect rect{{0, 0}, size};
    image.drawSlicedInRect(rect);
    if (tinted) {
        // The tint where the picture has alpha, nothing elsewhere.
        const CGContextRef c = UIGraphicsGetCurrentContext();
        CGContextSetBlendMode(c, kCGBlendModeSourceIn);
        CGContextSetFillColorWithColor(c, tint.CGColor());
        CGContextFillRect(c, rect);
    }
    UIImagePtr drawn = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return drawn ? drawn->CGImage() : nullptr;
}

void UIImageView::layoutSubviews() {
    const UIImagePtr& shown = highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
    if (shown && shown->isResizable() && bounds().size != slicedSize_) updateContents();
}

void UIImageView::updateContents() {
    const UIImagePtr& shown = highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
    if (!shown) {
        layer()->setContents(nullptr);
        return;
    }
    slicedSize_ = shown->isResizable() ? bounds().size : CGSizeZero;
    layer()->setContents(contentsForImage(*shown, tintColor(), slicedSize_));
    layer()->setContentsScale(shown->scale());
}
