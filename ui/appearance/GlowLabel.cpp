#include "ui/appearance/GlowLabel.h"

#include "platform/uikit/UIGraphics.h"

GlowLabel::GlowLabel(CGRect frame) : UILabel(frame) {}

void GlowLabel::setGlowAmount(CGFloat amount) {
    glowAmount_ = amount;
    setNeedsDisplay();
}

void GlowLabel::setGlowColor(UIColor color) {
    glowColor_ = std::move(color);
    setNeedsDisplay();
}

void GlowLabel::setGlowOffset(CGSize offset) {
    glowOffset_ = offset;
    setNeedsDisplay();
}

void GlowLabel::drawTextInRect(CGRect rect) {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSaveGState(context);
    CGContextSetShadowWithColor(context, glowOffset_, glowAmount_, glowColor_.CGColor());
    UILabel::drawTextInRect(rect);
    CGContextRestoreGState(context);
}
