#include "platform/quartzcore/CAShapeLayer.h"

void CAShapeLayer::drawLayerContent(const CGContextRef& context, const CALayerProperties&) const {
    if (CGPathIsEmpty(path_)) return;
    if (fillColor_ && fillColor_->a > 0) {
        CGContextBeginPath(context);
        CGContextAddPath(context, path_);
        CGContextSetFillColorWithColor(context, *fillColor_);
        CGContextDrawPath(context, fillRule_ == CAFillRule::EvenOdd ? kCGPathEOFill : kCGPathFill);
    }
    if (strokeColor_ && strokeColor_->a > 0 && lineWidth_ > 0) {
        CGContextBeginPath(context);
        CGContextAddPath(context, path_);
        CGContextSetStrokeColorWithColor(context, *strokeColor_);
        CGContextSetLineWidth(context, lineWidth_);
        CGContextSetLineCap(context, lineCap_);
        CGContextSetLineJoin(context, lineJoin_);
        CGContextStrokePath(context);
    }
}
