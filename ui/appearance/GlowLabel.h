#pragma once
// A label whose text casts a coloured glow: the context's shadow, with the glow's offset,
// blur and colour, while the text is drawn. Clear and 0 by default (a plain label).
#include "platform/uikit/UILabel.h"

class GlowLabel : public UILabel {
public:
    explicit GlowLabel(CGRect frame = CGRectZero);

    CGFloat glowAmount() const { return glowAmount_; }
    void setGlowAmount(CGFloat amount);
    const UIColor& glowColor() const { return glowColor_; }
    void setGlowColor(UIColor color);
    CGSize glowOffset() const { return glowOffset_; }
    void setGlowOffset(CGSize offset);

    void drawTextInRect(CGRect rect) override;

private:
    CGFloat glowAmount_ = 0;
    UIColor glowColor_ = UIColor::clearColor();
    CGSize glowOffset_{0, 0};
};
