#include "ui/widgets/CircularProgressView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/DeviceUtility.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/quartzcore/CAShapeLayer.h"
#include "platform/quartzcore/CATransaction.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+AppearanceUtility.h"
#include "ui/appearance/UIView+AppearanceUtility.h"

namespace {

UIColor lightColor(CGFloat alpha) { return AppAppearance::defaultLightColor().colorWithAlphaComponent(alpha); }

}  // namespace

CircularProgressView::CircularProgressView(CGRect frame) : UIView(frame) { initialize(); }

CircularProgressView::~CircularProgressView() {
    layer()->removeAllAnimations();
    // The drawing layer may outlive this view inside a presentation copy for a moment.
    renderView_->progressLayer().setView(nullptr);
}

void CircularProgressView::initialize() {
    layer()->setCornerRadius(bounds().size.width / 2);
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
    useVisualEffect_ = false;
    circleColor_ = lightColor(0);
    textColor_ = AppAppearance::defaultLightColor();
    progressColor_ = AppAppearance::defaultTintColor();
    roundedCorners_ = false;
    relativeThickness_ = 0.4;
    setShowLabel(true);
    clockwise_ = false;
    progress_ = 0.5;  // the ring is not made yet: a new view draws empty until the next change
    inverted_ = true;
    showProgress_ = true;
    renderView_ = std::make_shared<CircularProgressRenderView>(bounds());
    addSubview(renderView_);
}

CGFloat CircularProgressView::thickness() const {
    return relativeThickness_ * std::min(bounds().size.width, bounds().size.height) / 2;
}

void CircularProgressView::setThickness(CGFloat thickness) {
    const CGFloat radius = std::min(bounds().size.width, bounds().size.height) / 2;
    if (!(radius > 0)) return;  // no size yet: a fraction of nothing would be infinite
    relativeThickness_ = thickness / radius;
}

void CircularProgressView::setProgress(CGFloat progress, bool animated, std::function<void(bool)> completion) {
    progress_ = progress;
    const CGFloat clamped = std::clamp<CGFloat>(progress, 0, 1);
    CircularProgressLayer& ring = renderView_->progressLayer();
    if (clamped == ring.progress()) return;
    if (showLabel_ && showProgressLabel_ && textDisplayView_) {
        char text[32];
        std::snprintf(text, sizeof text, "%.f%%", clamped * 100);
        textDisplayView_->setHeaderText(text);
    }
    if (animated) {
        CATransaction::begin();
        // The next animation starts where the ring is on screen.
        const double from = static_cast<float>(CAValueNumber(ring.presentationLayer()->valueForKeyPath("progress")));
        auto animation = CABasicAnimation::animationWithKeyPath("progress");
        animation->fromValue = from;
        animation->toValue = static_cast<double>(clamped);
        animation->duration = std::fabs(from - clamped);
        animation->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
        CATransaction::setCompletionBlock([completion] {
            if (completion) completion(true);
        });
        ring.addAnimation(animation, "progress");
        CATransaction::commit();
    } else {
        ring.setNeedsDisplay();
    }
    ring.setProgress(clamped);
}

void CircularProgressView::setIndeterminate(bool indeterminate) {
    if (indeterminate) {
        if (indeterminate_) return;
        indeterminate_ = true;
        setProgress(0.5);
        auto spin = CABasicAnimation::animationWithKeyPath("transform.rotation");
        spin->byValue = 2 * std::numbers::pi;
        spin->duration = kSpinDuration;
        spin->repeatCount = HUGE_VALF;
        layer()->addAnimation(spin, kIndeterminateAnimationKey);
    } else {
        indeterminate_ = false;
        setProgress(0);
        layer()->removeAnimationForKey(kIndeterminateAnimationKey);
    }
}

void CircularProgressView::setProgressColor(std::optional<UIColor> color) {
    if (useVisualEffect_ && color && AppearanceUtility::isVisualEffect(*color)) {
        setBackgroundColor(color);
        progressColor_ = lightColor(0.2);
        circleColor_ = lightColor(0);
        const CGFloat w = bounds().size.width, h = bounds().size.height;
        const CGFloat d = std::trunc(w * (1 - relativeThickness_));
        CGMutablePathRef path = CGPathCreateMutable();
        CGPathAddRoundedRect(path, nullptr, {{0, 0}, {w, h}}, 0, 0);
        CGPathAddRoundedRect(path, nullptr, {{w / 2 - d / 2, h / 2 - d / 2}, {d, d}}, d, d);
        auto mask = CAShapeLayer::layer();
        mask->setPath(path);
        mask->setFillRule(CAFillRule::EvenOdd);
        mask->setFillColor(CGColor{0, 0, 0, 1});
        mask->setOpacity(1);
        if (auto background = AppearanceUtility::backgroundLayer(*this)) background->setMask(mask);
    } else {
        if (useVisualEffect_) circleColor_ = lightColor(0);
        progressColor_ = std::move(color);
    }
    renderView_->progressLayer().setNeedsDisplay();
}

void CircularProgressView::setShowLabel(bool show) {
    showLabel_ = show;
    if (show) {
        auto label = TextDisplayView::textDisplayViewWithHeaderOfSize(kHeaderFontSize, kDetailFontSize);
        const CGSize size{bounds().size.width * (1 - relativeThickness_),
                          bounds().size.height * (1 - relativeThickness_)};
        label->setFrame(PositioningUtility::rectWithSizeCenteredInRect(size, bounds()));
        label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        label->setTextSpacing(kTextSpacing);
        if (renderView_) insertSubviewBelow(label, renderView_.get());
        else addSubview(label);
        label->setHeaderColor(textColor_);
        label->setDetailColor(textColor_);
        PositioningUtility::positionViewAtCenter(*label);
        if (textDisplayView_) textDisplayView_->removeFromSuperview();
        textDisplayView_ = std::move(label);
    } else if (textDisplayView_) {
        textDisplayView_->removeFromSuperview();
        textDisplayView_ = nullptr;
    }
}

void CircularProgressView::setShowProgressLabel(bool show) {
    showProgressLabel_ = show;
    if (textDisplayView_) textDisplayView_->setShowsDetailText(show);
}

void CircularProgressView::setDisplayText(const std::string& text) {
    displayText_ = text;
    if (!textDisplayView_) return;
    if (showProgressLabel_) textDisplayView_->setDetailText(text);
    else textDisplayView_->setHeaderText(text);
}

void CircularProgressView::setShowProgress(bool show) {
    showProgress_ = show;
    renderView_->setHidden(!show);
}

void CircularProgressView::setOrientation(int orientation, bool animated) {
    if (UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad) return;
    const double angle = AppConstants::angleForOrientation(orientation);
    UIView::animateWithDuration(animated ? 0.2 : 0,
                                [this, angle] { setTransform(CGAffineTransformMakeRotation(angle)); });
}
