#pragma once
// Picture views: the picture is the layer's contents, placed by the content mode and clipped
// when the view clips. A template picture shows only its alpha, painted in the view's tint, and
// is painted again when the tint changes (also when an ancestor's tint does). A highlighted
// picture, when set, replaces the picture while the view is highlighted. A resizable picture
// is drawn in nine slices over the whole bounds, again whenever their size changes.
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class UIImageView : public UIView {
public:
    explicit UIImageView(CGRect frame = CGRectZero);
    // A view of the picture's size at the origin.
    explicit UIImageView(UIImagePtr image);

    const UIImagePtr& image() const { return image_; }
    void setImage(UIImagePtr image);
    const UIImagePtr& highlightedImage() const { return highlightedImage_; }
    void setHighlightedImage(UIImagePtr image);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    // The picture's size in points (zero without one).
    CGSize sizeThatFits(CGSize size) const;
    void sizeToFit();

    void tintColorDidChange() override;
    void layoutSubviews() override;

    // The picture as the layer shows it: upright, painted in the tint when it is a template.
    static CGImageRef contentsForImage(const UIImage& image, const UIColor& tint);
    // The same for a resizable picture sliced over a size in points.
    static CGImageRef contentsForImage(const UIImage& image, const UIColor& tint, CGSize size);

private:
    void updateContents();

    UIImagePtr image_, highlightedImage_;
    CGSize slicedSize_{};
    bool highlighted_ = false;
};
