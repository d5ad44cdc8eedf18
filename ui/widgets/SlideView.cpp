#include "ui/widgets/SlideView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/DeviceUtility.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/foundation/UIPanGestureRecognizer+GestureUtility.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr CGFloat kPaddingBeyondKnob = 4;

float distance(CGPoint a, CGPoint b) {
    const float dx = static_cast<float>(a.x - b.x), dy = static_cast<float>(a.y - b.y);
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

SlideView::SlideView(CGRect frame) : UIView(frame, layerClass()) { initialize(); }

SlideView::~SlideView() { slideLayer().setView(nullptr); }

void SlideView::initialize() {
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
    color_ = AppAppearance::defaultLightColor().colorWithAlphaComponent(0.6);
    valueColor_ = AppAppearance::defaultLightColor();
    thickness_ = 3;
    curvature_ = 1;
    indicatorWidth_ = 20;
    padding_ = indicatorWidth_ + kPaddingBeyondKnob;
    showValue_ = useGradient_ = useValueGradient_ = false;
    gradientColors_ = {UIColor::redColor().CGColor(),    UIColor::orangeColor().CGColor(),
                       UIColor::yellowColor().CGColor(), UIColor::greenColor().CGColor(),
                       UIColor::blueColor().CGColor(),   UIColor::purpleColor().CGColor(),
                       UIColor::redColor().CGColor()};
    indicatorView_ = UIButton::buttonWithType(UIButtonType::Custom);
    indicatorView_->setFrame(CGRectMake(0, 0, indicatorWidth_, indicatorWidth_));
    indicatorView_->setBackgroundColor(valueColor_);
    indicatorView_->layer()->setCornerRadius(indicatorWidth_ * 0.5);
    indicatorView_->layer()->setBorderColor(AppAppearance::defaultLightColor().CGColor());
    indicatorView_->addTarget(
        this,
        [this](UIControl&, const UIEvent*) {
            if (indicatorBlock_) indicatorBlock_();
        },
        UIControlEventTouchUpInside);
    addSubview(indicatorView_);
    setValue(0.5);
    slideLayer().setView(this);
    slideLayer().setNeedsDisplay();
}

// ---- Look ----------------------------------------------------------------------------------

void SlideView::setValueColor(UIColor color) {
    valueColor_ = std::move(color);
    setIndicatorColor(valueColor_);
    slideLayer().setNeedsDisplay();
}

void SlideView::setIndicatorColor(const UIColor& color) { indicatorView_->setBackgroundColor(color); }

void SlideView::setIndicatorBorderWidth(CGFloat width) { indicatorView_->layer()->setBorderWidth(width); }

void SlideView::setGradientColors(std::vector<CGColor> colors) {
    gradientColors_ = std::move(colors);
    slideLayer().setNeedsDisplay();
}

// ---- Value ---------------------------------------------------------------------------------

void SlideView::setValue(double value, bool animated) {
    value_ = value;
    const double clamped = std::clamp(value, 0.0, 1.0);
    SlideLayer& ring = slideLayer();
    const double old = ring.value();
    if (old == clamped) return;
    indicatorView_->setCenter(valueLocation());
    if (showValueIndicator_ && textDisplayView_) {
        char text[16];
        std::snprintf(text, sizeof text, "%.f", clamped * 100);
        textDisplayView_->setHeaderText(text);
    }
    if (animated) {
        auto animation = CABasicAnimation::animationWithKeyPath("value");
        animation->fromValue = static_cast<double>(static_cast<float>(old));
        animation->toValue = static_cast<double>(static_cast<float>(clamped));
        animation->duration = std::fabs(old - clamped);
        animation->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
        ring.addAnimation(animation, "value");
    } else {
        ring.setNeedsDisplay();
    }
    ring.setValue(clamped);
}

void SlideView::setShowValueIndicator(bool show) {
    showValueIndicator_ = show;
    if (textDisplayView_) textDisplayView_->removeFromSuperview();
    textDisplayView_ = nullptr;
    if (!show) return;
    const bool pad = UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
    auto label = pad ? TextDisplayView::textDisplayViewWithHeaderOfSize(13, 9)
                     : TextDisplayView::textDisplayViewWithHeaderOfSize(12, 8);
    if (pad) label->setUseBoldHeader(true);
    const CGRect knob = indicatorView_->bounds();
    const CGRect above = rectOffsetY(knob, -knob.size.height);
    label->setFrame({{above.origin.x - 4, above.origin.y}, {above.size.width + 8, above.size.height}});
    label->setShowsDetailText(false);
    indicatorView_->setClipsToBounds(false);
    indicatorView_->addSubview(label);
    textDisplayView_ = std::move(label);
}

void SlideView::setPanningEnabled(bool enabled) {
    if (panRecognizer_) removeGestureRecognizer(panRecognizer_.get());
    panRecognizer_ = nullptr;
    if (!enabled) return;
    panRecognizer_ = std::make_shared<UIPanGestureRecognizer>();
    panRecognizer_->addTarget(
        this, [this](UIGestureRecognizer& g) { handlePanGesture(static_cast<UIPanGestureRecognizer&>(g)); });
    addGestureRecognizer(panRecognizer_);
}

void SlideView::handlePanGesture(UIPanGestureRecognizer& pan) {
    const UIView* owner = pan.view();
    const double width = (owner ? owner->bounds().size.width : 0) - 2 * padding_;
    // Without a usable width a drag would divide by nothing: the value stays.
    if (width > 0)
        setValue(GestureUtility::relativeNormalizedValueAfterXTranslation(
            pan, [this] { return value_; }, width));
    const UIGestureRecognizerState state = pan.state();
    if (state == UIGestureRecognizerState::Began && valueWillBeginChange_) valueWillBeginChange_(value_);
    if ((state == UIGestureRecognizerState::Ended || state == UIGestureRecognizerState::Cancelled ||
         state == UIGestureRecognizerState::Failed) &&
        valueWillFinishChange_)
        valueWillFinishChange_(value_);
    if (valueChanged_) valueChanged_(value_);
}

// ---- Geometry ------------------------------------------------------------------------------

CGFloat SlideView::circleRadius() const {
    const CGFloat w = bounds().size.width;
    return w * (w / 160) * curvature_;
}

CGPoint SlideView::circleCenter() const {
    const CGRect b = bounds();
    return {CGRectGetMidX(b), CGRectGetMidY(b) + circleRadius() - b.size.height / 2};
}

std::vector<CGPoint> SlideView::intersectionPointsOfCircle(CGPoint center, float radius, CGPoint p1, CGPoint p2) {
    const float length = distance(p2, p1);
    const float dx = static_cast<float>(p2.x - p1.x) / length, dy = static_cast<float>(p2.y - p1.y) / length;
    const float t = static_cast<float>(center.x - p1.x) * dx + static_cast<float>(center.y - p1.y) * dy;
    const CGPoint foot{static_cast<float>(p1.x + t * dx), static_cast<float>(p1.y + t * dy)};
    const float s = distance(foot, center);
    if (s < radius) {
        const double h = std::sqrt(static_cast<double>(radius) * radius - static_cast<double>(s) * s);
        return {{static_cast<float>(p1.x + (t - h) * dx), static_cast<float>(p1.y + (t - h) * dy)},
                {static_cast<float>(p1.x + (t + h) * dx), static_cast<float>(p1.y + (t + h) * dy)}};
    }
    if (s == radius) return {foot};
    return {};
}

double SlideView::angleOfIntersection() const {
    const CGPoint m = circleCenter();
    const auto points = intersectionPointsOfCircle(m, static_cast<float>(circleRadius()), {padding_, 0},
                                                   {padding_, bounds().size.height});
    // A circle too small to reach the line gives the whole upper half.
    if (points.empty()) return kPi / 2;
    const CGPoint p = points.front(), top{m.x, 0};
    const float a = distance(m, top), b = distance(p, top), c = distance(m, p);
    return std::acos((c * c + a * a - b * b) / (2 * a * c));
}

double SlideView::circleAdjustedValue() const {
    const double alpha = angleOfIntersection();
    return 0.5 - alpha / kPi + value_ * 2 * alpha / kPi;
}

CGPoint SlideView::valueLocation() const {
    const double phi = kPi + circleAdjustedValue() * kPi;
    const CGPoint m = circleCenter();
    const double along = circleRadius() - thickness_ / 2;
    return {static_cast<float>(m.x + along * std::cos(phi)), static_cast<float>(m.y + along * std::sin(phi))};
}

// ---- Showing -------------------------------------------------------------------------------

void SlideView::animateSlideView(bool show, Completion completion) {
    if (show) {
        setAlpha(1);
        indicatorView_->setTransform(CGAffineTransformMakeScale(0, 0));
        indicatorView_->setAlpha(1);
    } else {
        animateIndicatorView(false);
    }
    auto wipe = show ? AnimationUtility::reveal(true, {0, 1}, {1, 1}, {0, 0.5})
                     : AnimationUtility::reveal(true, {1, 1}, {0, 1}, {1, 0.5});
    std::weak_ptr<SlideView> weak = std::static_pointer_cast<SlideView>(shared_from_this());
    AnimationUtility::animateView(shared_from_this(), wipe, [weak, show, completion](bool finished) {
        auto self = weak.lock();
        if (!self) return;
        if (show) {
            self->animateIndicatorView(true, completion);
            return;
        }
        self->setAlpha(0);
        if (completion) completion(finished);
    });
}

void SlideView::animateIndicatorView(bool show, Completion completion) {
    UIView* knob = indicatorView_.get();
    if (show) {
        UIView::animateWithDuration(
            kShowPop, 0, 0.6, 1.0, 0,
            [knob] {
                knob->setTransform(CGAffineTransformMakeScale(1, 1));
                knob->setAlpha(1);
            },
            std::move(completion));
    } else {
        UIView::animateWithDuration(
            kHidePop, 0, 1.0, 1.0, 0,
            [knob] {
                knob->setAlpha(0);
                knob->setTransform(CGAffineTransformMakeScale(0.5, 0.5));
            },
            std::move(completion));
    }
}

void SlideView::setOrientation(int orientation, bool animated) {
    if (UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad || !textDisplayView_) return;
    const double angle = AppConstants::angleForOrientation(orientation);
    UIView* label = textDisplayView_.get();
    UIView::animateWithDuration(animated ? 0.2 : 0,
                                [label, angle] { label->setTransform(CGAffineTransformMakeRotation(angle)); });
}

// ---- Touches and layout --------------------------------------------------------------------

UIView* SlideView::hitTest(CGPoint point) {
    if (isHidden() || alpha() <= 0 || !isUserInteractionEnabled()) return nullptr;
    for (const auto& subview : subviews())
        if (dynamic_cast<UIButton*>(subview.get()) && CGRectContainsPoint(subview->frame(), point))
            return subview.get();
    if (CGRectContainsPoint(rectAddHeight(rectOffsetY(bounds(), -kTouchMarginAbove), kTouchMarginAbove), point))
        return this;
    return nullptr;
}

void SlideView::layoutSubviews() {
    UIView::layoutSubviews();
    const CGSize size = bounds().size;
    if (size.width == laidOutSize_.width && size.height == laidOutSize_.height) return;
    laidOutSize_ = size;
    indicatorView_->setCenter(valueLocation());
}

void SlideView::didMoveToWindow() {
    UIView::didMoveToWindow();
    if (!window()) return;
    slideLayer().setContentsScale(UIScreen::mainScreen().scale());
    slideLayer().setNeedsDisplay();
}
