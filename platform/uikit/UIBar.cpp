#include "platform/uikit/UIBar.h"

#include <algorithm>

#include "platform/uikit/UIGraphics.h"

namespace {

constexpr NSTimeInterval kCrossFade = 0.2;
constexpr double kTranslucentAlpha = 0.92;

}  // namespace

UIBar::UIBar(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::clearColor());
    setNeedsDisplay();
}

void UIBar::setBarStyle(UIBarStyle style) {
    barStyle_ = style;
    setNeedsDisplay();
}
void UIBar::setTranslucent(bool translucent) {
    translucent_ = translucent;
    setNeedsDisplay();
}
void UIBar::setBarTintColor(std::optional<UIColor> color) {
    barTintColor_ = std::move(color);
    setNeedsDisplay();
}

UIColor UIBar::barBackgroundColor() const {
    const double alpha = translucent_ ? kTranslucentAlpha : 1;
    if (barTintColor_) return barTintColor_->colorWithAlphaComponent(barTintColor_->alpha() * alpha);
    return barStyle_ == UIBarStyle::Black ? UIColor::colorWithWhite(0.11, alpha) : UIColor::colorWithWhite(0.97, alpha);
}

void UIBar::drawBackground() const {
    const CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(c, barBackgroundColor().CGColor());
    CGContextFillRect(c, bounds());
}

void UIBar::drawHairline(bool atTop) const {
    const CGRect b = bounds();
    const CGFloat hairline = 1 / std::max<CGFloat>(1, contentScaleFactor());
    const CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.3);
    CGContextFillRect(c, {{0, atTop ? 0 : b.size.height - hairline}, {b.size.width, hairline}});
}

void UIBar::showViews(const std::vector<std::pair<std::shared_ptr<UIView>, CGPoint>>& views) {
    std::vector<std::shared_ptr<UIView>> shown;
    for (const auto& [view, center] : views) {
        view->setCenter(center);
        if (view->superview() != this) addSubview(view);
        shown.push_back(view);
    }
    for (const auto& v : shownViews_)
        if (std::find(shown.begin(), shown.end(), v) == shown.end() && v->superview() == this) v->removeFromSuperview();
    shownViews_ = std::move(shown);
}

void UIBar::relayout(bool animated) {
    auto apply = [this] {
        setNeedsLayout();
        setNeedsDisplay();
        layoutIfNeeded();
    };
    if (animated && window()) {
        layer()->displayIfNeeded();  // the old look as it will be drawn, for the cross-fade
        UIView::transitionWithView(shared_from_this(), kCrossFade, UIViewAnimationOptionTransitionCrossDissolve, apply,
                                   nullptr);
    } else {
        apply();
    }
}
