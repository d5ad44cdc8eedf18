#include "ui/widgets/GridView.h"

#include "platform/uikit/UIGraphics.h"

GridView::GridView(CGRect frame) : UIView(frame) {
    setUserInteractionEnabled(false);
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
    setNeedsDisplay();
}

GridView::~GridView() {
    gridBackgroundColor_.reset();
    gridForegroundColor_.reset();
}

void GridView::setGridBackgroundColor(std::optional<UIColor> color) {
    gridBackgroundColor_ = color;
    setNeedsDisplay();
}

void GridView::setGridForegroundColor(std::optional<UIColor> color) {
    gridForegroundColor_ = color;
    setNeedsDisplay();
}

void GridView::drawRect(CGRect rect) {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    if (gridBackgroundColor_) {
        CGContextSetStrokeColorWithColor(context, gridBackgroundColor_->CGColor());
        CGContextSetLineWidth(context, 3.0);
        drawGrid(rect, context);
    }
    if (gridForegroundColor_) {
        CGContextSetStrokeColorWithColor(context, gridForegroundColor_->CGColor());
        CGContextSetLineWidth(context, 1.0);
        drawGrid(rect, context);
    }
}

void GridView::drawGrid(CGRect rect, const CGContextRef& context) const {
    const CGFloat w = rect.size.width, h = rect.size.height;
    const CGFloat xs[2] = {w * 0.328125, w * 0.66875};
    const CGFloat ys[2] = {h * 0.33156779661017, h * 0.66631355932203};
    for (int k = 0; k < 2; ++k) {
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, xs[k], 0);
        CGContextAddLineToPoint(context, xs[k], h);
        CGContextStrokePath(context);
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, 0, ys[k]);
        CGContextAddLineToPoint(context, w, ys[k]);
        CGContextStrokePath(context);
    }
}
