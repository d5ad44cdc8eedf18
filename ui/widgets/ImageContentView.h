#pragma once
// A content view whose content is an image view made from a picture. A picture of the same
// size as the present one only replaces the picture (the zoom stays); another size makes a
// new image view and lays it out afresh.
#include "platform/uikit/UIImageView.h"
#include "ui/widgets/ContentView.h"

class ImageContentView : public ContentView {
public:
    using ContentView::ContentView;

    virtual void setImage(UIImagePtr image);
    virtual UIImagePtr image() const;
    std::shared_ptr<UIImageView> imageView() const { return std::dynamic_pointer_cast<UIImageView>(contentView()); }
    // The image view's content mode (the container's own is left alone).
    virtual void setContentMode(UIViewContentMode mode);
    virtual UIViewContentMode contentMode() const { return imageViewContentMode_; }
    UIViewContentMode imageViewContentMode() const { return imageViewContentMode_; }
    void setImageViewContentMode(UIViewContentMode mode) { imageViewContentMode_ = mode; }

private:
    UIViewContentMode imageViewContentMode_ = UIViewContentMode::ScaleToFill;
};
