#include "platform/uikit/UILabel.h"

#include "platform/uikit/UIGraphics.h"

UILabel::UILabel(CGRect frame) : UIView(frame) {
    setUserInteractionEnabled(false);
    setContentMode(UIViewContentMode::Redraw);
    setNeedsDisplay();
}

void UILabel::changed() { setNeedsDisplay(); }

void UILabel::setText(std::string text) {
    if (text_ == text) return;
    text_ = std::move(text);
    changed();
}
void UILabel::setFont(UIFont font) {
    font_ = std::move(font);
    changed();
}
void UILabel::setTextColor(UIColor color) {
    textColor_ = std::move(color);
    changed();
}
void UILabel::setTextAlignment(NSTextAlignment alignment) {
    alignment_ = alignment;
    changed();
}
void UILabel::setNumberOfLines(int lines) {
    numberOfLines_ = lines < 0 ? 0 : lines;
    changed();
}
void UILabel::setLineBreakMode(NSLineBreakMode mode) {
    lineBreakMode_ = mode;
    changed();
}
void UILabel::setLineSpacing(CGFloat spacing) {
    lineSpacing_ = spacing;
    changed();
}
void UILabel::setShadowColor(std::optional<UIColor> color) {
    shadowColor_ = std::move(color);
    changed();
}
void UILabel::setShadowOffset(CGSize offset) {
    shadowOffset_ = offset;
    changed();
}

NSStringAttributes UILabel::textAttributes() const {
    NSStringAttributes attributes{font_, textColor_, {}};
    attributes.paragraphStyle.alignment = alignment_;
    attributes.paragraphStyle.lineBreakMode = lineBreakMode_;
    attributes.paragraphStyle.lineSpacing = lineSpacing_;
    return attributes;
}

CGSize UILabel::sizeThatFits(CGSize size) const {
    // One line measures unwrapped; truncation only applies when drawing in a narrower width.
    const CGFloat width = numberOfLines_ == 1 ? 0 : size.width;
    return NSStringDrawing::boundingSizeWithSize(text_, {width, 0}, textAttributes(), numberOfLines_);
}

void UILabel::sizeToFit() {
    const CGSize size = sizeThatFits({numberOfLines_ == 1 ? 0 : bounds().size.width, 0});
    CGRect f = frame();
    f.size = size;
    setFrame(f);
}

void UILabel::drawRect(CGRect) { drawTextInRect(bounds()); }

void UILabel::drawTextInRect(CGRect rect) { drawTextInRectWithColor(rect, textColor_); }

void UILabel::drawTextInRectWithColor(CGRect rect, const UIColor& color) {
    if (text_.empty()) return;
    NSStringAttributes attributes = textAttributes();
    attributes.foregroundColor = color;
    const CGSize needed =
        NSStringDrawing::boundingSizeWithSize(text_, {rect.size.width, 0}, attributes, numberOfLines_);
    const CGFloat height = std::min(needed.height, rect.size.height);
    const CGRect lines{{rect.origin.x, rect.origin.y + (rect.size.height - height) / 2}, {rect.size.width, height}};
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (shadowColor_) {
        CGContextSaveGState(context);
        // The context's shadow offset is y up.
        CGContextSetShadowWithColor(context, {shadowOffset_.width, -shadowOffset_.height}, 0, shadowColor_->CGColor());
    }
    NSStringDrawing::drawInRect(text_, lines, attributes, numberOfLines_);
    if (shadowColor_) CGContextRestoreGState(context);
}
