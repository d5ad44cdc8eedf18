#pragma once
// A layer that paints a path in its own coordinates: filled (non-zero or even-odd) with the
// fill colour, then stroked with the stroke colour and line width. No colour: that part is
// not painted. The path is painted each time the layer is composed.
#include <optional>

#include "platform/coregraphics/CGPath.h"
#include "platform/quartzcore/CALayer.h"

enum class CAFillRule { NonZero, EvenOdd };

class CAShapeLayer : public CALayer {
public:
    static std::shared_ptr<CAShapeLayer> layer() { return std::make_shared<CAShapeLayer>(); }

    const CGPathRef& path() const { return path_; }
    void setPath(CGPathRef path) { path_ = std::move(path); }
    const std::optional<CGColor>& fillColor() const { return fillColor_; }
    void setFillColor(std::optional<CGColor> color) { fillColor_ = color; }
    CAFillRule fillRule() const { return fillRule_; }
    void setFillRule(CAFillRule rule) { fillRule_ = rule; }
    const std::optional<CGColor>& strokeColor() const { return strokeColor_; }
    void setStrokeColor(std::optional<CGColor> color) { strokeColor_ = color; }
    CGFloat lineWidth() const { return lineWidth_; }
    void setLineWidth(CGFloat width) { lineWidth_ = width >= 0 ? width : lineWidth_; }
    CGLineCap lineCap() const { return lineCap_; }
    void setLineCap(CGLineCap cap) { lineCap_ = cap; }
    CGLineJoin lineJoin() const { return lineJoin_; }
    void setLineJoin(CGLineJoin join) { lineJoin_ = join; }

    void drawLayerContent(const CGContextRef& context, const CALayerProperties& p) const override;

private:
    CGPathRef path_;
    std::optional<CGColor> fillColor_ = CGColor{0, 0, 0, 1};
    CAFillRule fillRule_ = CAFillRule::NonZero;
    std::optional<CGColor> strokeColor_;
    CGFloat lineWidth_ = 1;
    CGLineCap lineCap_ = kCGLineCapButt;
    CGLineJoin lineJoin_ = kCGLineJoinMiter;
};
