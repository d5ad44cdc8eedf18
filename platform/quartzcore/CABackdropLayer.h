#pragma once
// A layer that shows what lies below it blurred and tinted: when composed, the pixels already
// drawn under its bounds (reaching out by the radius, so that the edges blur with their
// surroundings) are blurred with the stack blur and painted within the bounds, then the tint
// fills the bounds. It covers its own background and contents (give it none); its sublayers
// draw on top as usual, and a mask or opacity applies to all of it.
//
// "Below" is what the screen holds when the layer is drawn, with what the innermost subtree
// composed on its own (an ancestor with opacity below 1 or a mask) has drawn so far over it;
// inside a perspective warp only the warped subtree counts.
#include <optional>

#include "platform/quartzcore/CALayer.h"

class CABackdropLayer : public CALayer {
public:
    static std::shared_ptr<CALayer> layer() { return std::make_shared<CABackdropLayer>(); }

    // In points; 0 shows the backdrop unblurred.
    CGFloat blurRadius() const { return blurRadius_; }
    void setBlurRadius(CGFloat radius);
    const std::optional<CGColor>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<CGColor> color);

    void drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const override;
    std::shared_ptr<CALayer> newPresentationInstance() const override { return std::make_shared<CABackdropLayer>(); }

private:
    CGFloat blurRadius_ = 0;
    std::optional<CGColor> tintColor_;
};
