#pragma once
// Labels: a text drawn in one font and colour, aligned in the label's width and centred in its
// height, in one line or several (`numberOfLines`, 0 for any number) wrapped and truncated by
// the line-break mode, with an optional shadow. The text is redrawn whenever it or its look
// changes; a subclass changes how it is painted by overriding `drawTextInRect`, which draws
// into the current context (the label's own contents while it draws).
#include <optional>
#include <string>

#include "platform/uikit/NSStringDrawing.h"
#include "platform/uikit/UIView.h"

class UILabel : public UIView {
public:
    explicit UILabel(CGRect frame = CGRectZero);

    const std::string& text() const { return text_; }
    void setText(std::string text);
    const UIFont& font() const { return font_; }
    void setFont(UIFont font);
    const UIColor& textColor() const { return textColor_; }
    void setTextColor(UIColor color);
    NSTextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(NSTextAlignment alignment);
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);
    NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(NSLineBreakMode mode);
    // Extra points between lines (the attributed text's paragraph line spacing).
    CGFloat lineSpacing() const { return lineSpacing_; }
    void setLineSpacing(CGFloat spacing);
    const std::optional<UIColor>& shadowColor() const { return shadowColor_; }
    void setShadowColor(std::optional<UIColor> color);
    CGSize shadowOffset() const { return shadowOffset_; }  // y down
    void setShadowOffset(CGSize offset);

    // The text's attributes as the label draws it.
    NSStringAttributes textAttributes() const;
    // The size the text needs within `size` (a width not above 0: no limit), whole points.
    CGSize sizeThatFits(CGSize size) const;
    // One line: as wide as the text; several: wrapped in the current width (when there is one).
    void sizeToFit();

    void drawRect(CGRect rect) override;
    // Draws the text vertically centred in the rectangle.
    virtual void drawTextInRect(CGRect rect);

protected:
    // Draws the text as `drawTextInRect` does, in the given colour.
    void drawTextInRectWithColor(CGRect rect, const UIColor& color);

private:
    void changed();

    std::string text_;
    UIFont font_ = UIFont::systemFontOfSize(17);
    UIColor textColor_ = UIColor::blackColor();
    NSTextAlignment alignment_ = NSTextAlignment::Natural;
    int numberOfLines_ = 1;
    NSLineBreakMode lineBreakMode_ = NSLineBreakMode::ByTruncatingTail;
    CGFloat lineSpacing_ = 0;
    std::optional<UIColor> shadowColor_;
    CGSize shadowOffset_{0, -1};
};
