#include "ui/widgets/CircularProgressLayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/appearance/UIColor+AppearanceUtility.h"
#include "ui/widgets/AngleGradientLayer.h"
#include "ui/widgets/CircularProgressView.h"

namespace {

constexpr double kPi = std::numbers::pi;

CGColor cgColor(const std::optional<UIColor>& color) { return color ? color->CGColor() : CGColor{0, 0, 0, 0}; }

}  // namespace

CircularProgressLayer::CircularProgressLayer() { setValueForKeyPath("progress", 0.0); }

CGFloat CircularProgressLayer::progress() const { return CAValueNumber(valueForKeyPath("progress")); }

void CircularProgressLayer::setProgress(CGFloat progress) { setValueForKeyPath("progress", progress); }

std::shared_ptr<CALayer> CircularProgressLayer::newPresentationInstance() const {
    auto copy = std::make_shared<CircularProgressLayer>();
    copy->view_ = view_;
    copy->gradientImage_ = gradientImage_;
    return copy;
}

void CircularProgressLayer::drawInContext(const CGContextRef& context) {
    const CircularProgressView* view = view_;
    if (!view || view->alpha() == 0 || view->renderView().isHidden()) return;
    const CGRect b = bounds();
    const double w = b.size.width, h = b.size.height;
    const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2, t = view->relativeThickness();
    const double p = std::min(progress(), kMaximumDrawnProgress);
    const double sweep = 2 * kPi * p;
    const double start = static_cast<float>(3 * kPi / 2);
    const double end = static_cast<float>(view->clockwise() ? -kPi / 2 + sweep : 3 * kPi / 2 - sweep);

    CGContextSaveGState(context);
    CGContextTranslateCTM(context, b.origin.x, b.origin.y);
    if (view->inverted()) CGContextConcatCTM(context, CGAffineTransform{1, 0, 0, -1, 0, h});

    const CGColor track = cgColor(view->circleColor());
    CGContextSetFillColorWithColor(context, track);
    CGContextMoveToPoint(context, cx, cy);
    CGContextAddArc(context, cx, cy, r, static_cast<float>(2 * kPi), 0, 1);
    CGContextClosePath(context);
    CGContextFillPath(context);

    if (p > 0) {
        auto wedge = [&] {
            CGContextMoveToPoint(context, cx, cy);
            CGContextAddArc(context, cx, cy, r, start, end, view->clockwise() ? 0 : 1);
            CGContextClosePath(context);
        };
        const std::optional<UIColor>& color = view->progressColor();
        const bool gradient = view->useGradient() || (color && AppearanceUtility::isGradient(*color));
        if (!gradient) {
            CGContextSetFillColorWithColor(context, cgColor(color));
            wedge();
            CGContextFillPath(context);
        } else {
            CGContextSaveGState(context);
            wedge();
            CGContextClip(context);
            if (!*gradientImage_) {
                auto layer = color && AppearanceUtility::isGradient(*color)
                                 ? AngleGradientLayer::angleGradientLayer(AppearanceUtility::gradientColors(*color))
                                 : AngleGradientLayer::spectrumGradientLayer();
                layer->setBounds(b);
                *gradientImage_ = layer->drawToImage();
            }
            CGContextDrawImage(context, {{0, 0}, b.size}, *gradientImage_);
            CGContextRestoreGState(context);
        }
        if (view->roundedCorners()) {
            // Both caps' centres lie on the ring's middle circle (on a square layer).
            const double d = r * t;
            CGContextFillEllipseInRect(context, {{cx - d / 2, 0}, {d, d}});
            CGContextFillEllipseInRect(
                context, {{r + (r - d / 2) * std::cos(end) - d / 2, r + (r - d / 2) * std::sin(end) - d / 2}, {d, d}});
        }
    }

    const double hole = r * (1 - t);
    CGContextSetBlendMode(context, kCGBlendModeClear);
    CGContextFillEllipseInRect(context, {{cx - hole, cy - hole}, {2 * hole, 2 * hole}});
    CGContextRestoreGState(context);
}
