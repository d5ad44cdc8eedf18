#pragma once
// A transparent overlay of a three-by-three composition grid: two vertical and two
// horizontal lines, each a 1-point line in the foreground colour over an optional 3-point
// line in the background colour. It takes no touches.
//
// The lines stand at 0.328125 and 0.66875 of the width and at 0.33156779661017 and
// 0.66631355932203 of the height (not exact thirds: 105 and 214, 156.5 and 314.5 for a
// 320 x 472 view).
#include <optional>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"

class GridView : public UIView {
public:
    explicit GridView(CGRect frame = CGRectZero);
    ~GridView() override;

    const std::optional<UIColor>& gridBackgroundColor() const { return gridBackgroundColor_; }
    void setGridBackgroundColor(std::optional<UIColor> color);
    const std::optional<UIColor>& gridForegroundColor() const { return gridForegroundColor_; }
    void setGridForegroundColor(std::optional<UIColor> color);

    void drawRect(CGRect rect) override;
    // Strokes the four lines with the context's stroke colour and width, from 0 across the
    // rectangle's width and height (its origin is not used).
    void drawGrid(CGRect rect, const CGContextRef& context) const;

private:
    std::optional<UIColor> gridBackgroundColor_;
    std::optional<UIColor> gridForegroundColor_ = UIColor::whiteColor();
};
