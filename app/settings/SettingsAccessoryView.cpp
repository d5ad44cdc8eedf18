#include "app/settings/SettingsAccessoryView.h"

#include "platform/uikit/UIGraphics.h"

SettingsAccessoryView::SettingsAccessoryView(CGRect frame, SettingsAccessoryType type) : UIView(frame), type_(type) {
    setBackgroundColor(UIColor::clearColor());
    setUserInteractionEnabled(false);
    setNeedsDisplay();
}

void SettingsAccessoryView::drawRect(CGRect rect) {
    const CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    const CGFloat mx = CGRectGetMidX(bounds()), my = CGRectGetMidY(bounds());
    CGContextSetStrokeColorWithColor(c, tintColor().CGColor());
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextSetLineJoin(c, kCGLineJoinRound);
    CGContextBeginPath(c);
    if (type_ == SettingsAccessoryType::DisclosureIndicator) {
        // A chevron 7 points wide and 13 high, pointing right.
        CGContextSetLineWidth(c, 2);
        CGContextMoveToPoint(c, mx - 3, my - 6.5);
        CGContextAddLineToPoint(c, mx + 3.5, my);
        CGContextAddLineToPoint(c, mx - 3, my + 6.5);
    } else {
        // A tick 14 points wide.
        CGContextSetLineWidth(c, 2.5);
        CGContextMoveToPoint(c, mx - 7, my);
        CGContextAddLineToPoint(c, mx - 2, my + 5);
        CGContextAddLineToPoint(c, mx + 7, my - 5.5);
    }
    CGContextStrokePath(c);
}
