#pragma once
// A 44-point picture button: the picture as a template in the button's tint, moved in by the
// insets. A tap runs the block at once, as the press animation starts.
#include "platform/uikit/UIGeometry.h"
#include "ui/widgets/ButtonView.h"

class ImageButtonView : public ButtonView {
public:
    explicit ImageButtonView(CGRect frame = CGRectMake(0, 0, 44, 44));
    explicit ImageButtonView(UIImagePtr image);
    ImageButtonView(UIImagePtr image, UIEdgeInsets insets);

    const UIImagePtr& image() const { return image_; }
    void setImage(UIImagePtr image);
    UIEdgeInsets insets() const { return insets_; }
    void setInsets(UIEdgeInsets insets);
    void setBlock(std::function<void()> block) { block_ = std::move(block); }

protected:
    void buttonTouched() override;

private:
    UIImagePtr image_;
    UIEdgeInsets insets_;
    std::function<void()> block_;
};
