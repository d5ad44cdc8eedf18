#pragma once
// A label that draws an outline under its text: the text stroked with round joins at the
// stroke width (in the stroke colour, else the text colour: a heavier face), then filled over
// it. A stroke width of 0 draws the fill alone.
#include <optional>

#include "platform/uikit/UILabel.h"

class BoldLabel : public UILabel {
public:
    explicit BoldLabel(CGRect frame = CGRectZero);

    CGFloat strokeWidth() const { return strokeWidth_; }
    void setStrokeWidth(CGFloat width);
    const std::optional<UIColor>& strokeColor() const { return strokeColor_; }
    void setStrokeColor(std::optional<UIColor> color);

    void drawTextInRect(CGRect rect) override;

private:
    CGFloat strokeWidth_ = 1.0;
    std::optional<UIColor> strokeColor_;
};
