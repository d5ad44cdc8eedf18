#include "ui/widgets/SlideLayer.h"

#include <cmath>
#include <numbers>

#include "platform/coregraphics/CGGradient.h"
#include "ui/widgets/SlideView.h"

namespace {
constexpr double kPi = std::numbers::pi;
}  // namespace

SlideLayer::SlideLayer() { setValueForKeyPath("value", 0.0); }

double SlideLayer::value() const { return CAValueNumber(valueForKeyPath("value")); }

void SlideLayer::setValue(double value) { setValueForKeyPath("value", value); }

std::shared_ptr<CALayer> SlideLayer::newPresentationInstance() const {
    auto copy = std::make_shared<SlideLayer>();
    copy->view_ = view_;
    return copy;
}

void SlideLayer::drawGradientInContext(const CGContextRef& context) const {
    const CGFloat w = view_->bounds().size.width;
    const CGPoint m = view_->circleCenter();
    const CGFloat midX = CGRectGetMidX(bounds());
    CGGradientRef gradient = CGGradientCreateWithColors(CGColorSpaceCreateDeviceRGB(), view_->gradientColors());
    if (!gradient) return;
    CGContextDrawLinearGradient(context, gradient, {midX, m.y - w / 2}, {midX, m.y + w / 2}, 0);
}

void SlideLayer::drawInContext(const CGContextRef& context) {
    const SlideView* view = view_;
    if (!view) return;
    const CGPoint m = view->circleCenter();
    const double r = view->circleRadius();
    const double a = view->circleAdjustedValue();
    CGContextSaveGState(context);
    // Arc angle 0 points up; 3π/2 is the left horizontal.
    CGContextTranslateCTM(context, m.x, m.y);
    CGContextRotateCTM(context, -kPi / 2);
    CGContextTranslateCTM(context, -m.x, -m.y);

    auto fill = [&](bool gradient, const UIColor& color) {
        if (gradient) {
            CGContextSaveGState(context);
            CGContextClip(context);
            drawGradientInContext(context);
            CGContextRestoreGState(context);
        } else {
            CGContextSetFillColorWithColor(context, color.CGColor());
            CGContextFillPath(context);
        }
    };
    CGContextMoveToPoint(context, m.x, m.y);
    CGContextAddArc(context, m.x, m.y, r, static_cast<float>(2 * kPi), 0, 1);
    CGContextClosePath(context);
    fill(view->useGradient(), view->color());

    const double h = a < static_cast<double>(0.9999999f) ? a / 2 : 0.4999999;
    if (h > 0 && view->showValue()) {
        const double end = static_cast<float>(2 * h * kPi - kPi / 2);
        CGContextMoveToPoint(context, m.x, m.y);
        CGContextAddArc(context, m.x, m.y, r, static_cast<float>(3 * kPi / 2), end, 0);
        CGContextClosePath(context);
        fill(view->useValueGradient(), view->valueColor());
    }

    const double hole = r - view->thickness();
    CGContextSetBlendMode(context, kCGBlendModeClear);
    CGContextFillEllipseInRect(context, {{m.x - hole, m.y - hole}, {2 * hole, 2 * hole}});
    CGContextRestoreGState(context);
}
