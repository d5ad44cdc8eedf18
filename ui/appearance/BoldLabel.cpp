#include "ui/appearance/BoldLabel.h"

#include "platform/uikit/UIGraphics.h"

BoldLabel::BoldLabel(CGRect frame) : UILabel(frame) {}

void BoldLabel::setStrokeWidth(CGFloat width) {
    strokeWidth_ = width;
    setNeedsDisplay();
}

void BoldLabel::setStrokeColor(std::optional<UIColor> color) {
    strokeColor_ = std::move(color);
    setNeedsDisplay();
}

void BoldLabel::drawTextInRect(CGRect rect) {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (strokeWidth_ > 0) {
        CGContextSetLineWidth(context, strokeWidth_);
        CGContextSetLineJoin(context, kCGLineJoinRound);
        CGContextSetTextDrawingMode(context, kCGTextStroke);
        drawTextInRectWithColor(rect, strokeColor_.value_or(textColor()));
    }
    CGContextSetTextDrawingMode(context, kCGTextFill);
    UILabel::drawTextInRect(rect);
}
