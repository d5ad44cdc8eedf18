#include "platform/uikit/UIActivityIndicatorView.h"

#include <cmath>
#include <numbers>

#include "platform/uikit/UIGraphics.h"

namespace {

CGFloat sideOf(UIActivityIndicatorViewStyle style) {
    return style == UIActivityIndicatorViewStyle::WhiteLarge ? 37 : 20;
}

UIColor colorOf(UIActivityIndicatorViewStyle style) {
    return style == UIActivityIndicatorViewStyle::Gray ? UIColor::colorWithWhite(0.5, 1)
                                                       : UIColor::colorWithWhite(1, 1);
}

}  // namespace

UIActivityIndicatorView::UIActivityIndicatorView(UIActivityIndicatorViewStyle style)
    : UIView(CGRectMake(0, 0, sideOf(style), sideOf(style))), style_(style), color_(colorOf(style)) {
    setBackgroundColor(UIColor::clearColor());
    setUserInteractionEnabled(false);
    setHidden(true);
}

UIActivityIndicatorView::~UIActivityIndicatorView() {
    if (timer_) timer_->invalidate();
}

void UIActivityIndicatorView::setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style) {
    style_ = style;
    color_ = colorOf(style);
    const CGPoint c = center();
    setBounds(CGRectMake(0, 0, sideOf(style), sideOf(style)));
    setCenter(c);
    setNeedsDisplay();
}

void UIActivityIndicatorView::setColor(UIColor color) {
    color_ = color;
    setNeedsDisplay();
}

void UIActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    if (!isAnimating()) setHidden(hides);
}

void UIActivityIndicatorView::startAnimating() {
    setHidden(false);
    if (timer_) return;
    setNeedsDisplay();
    std::weak_ptr<UIView> weak = weak_from_this();
    timer_ = NSTimer::timerWithTimeInterval(kStepInterval, true, [weak](NSTimer&) {
        auto view = std::static_pointer_cast<UIActivityIndicatorView>(weak.lock());
        if (!view) return;
        view->step_ = (view->step_ + 1) % kSpokes;
        view->setNeedsDisplay();
    });
    NSRunLoop::mainRunLoop().addTimer(timer_, NSRunLoopCommonModes);
}

void UIActivityIndicatorView::stopAnimating() {
    if (timer_) timer_->invalidate();
    timer_.reset();
    if (hidesWhenStopped_) setHidden(true);
}

void UIActivityIndicatorView::drawRect(CGRect) {
    const CGContextRef c = UIGraphicsGetCurrentContext();
    const CGSize size = bounds().size;
    const CGFloat radius = std::min(size.width, size.height) / 2;
    const CGPoint mid{size.width / 2, size.height / 2};
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextSetLineWidth(c, radius * 0.2);
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke `step_` is brightest; each one behind it, counter-clockwise, a little fainter.
        const int behind = (step_ - i + kSpokes) % kSpokes;
        const CGFloat alpha = 1 - 0.75 * behind / (kSpokes - 1);
        const CGFloat angle = 2 * std::numbers::pi * i / kSpokes;
        const CGFloat dx = std::sin(angle), dy = -std::cos(angle);
        CGContextSetStrokeColorWithColor(c, color_.colorWithAlphaComponent(alpha).CGColor());
        CGContextMoveToPoint(c, mid.x + dx * radius * 0.5, mid.y + dy * radius * 0.5);
        CGContextAddLineToPoint(c, mid.x + dx * radius * 0.9, mid.y + dy * radius * 0.9);
        CGContextStrokePath(c);
    }
}
