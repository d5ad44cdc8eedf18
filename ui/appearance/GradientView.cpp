#include "ui/appearance/GradientView.h"

#include <cmath>

#include "platform/quartzcore/CABasicAnimation.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

// Reports a transition's stop to its view while the view lives.
class TransitionDelegate : public CAAnimationDelegate {
public:
    explicit TransitionDelegate(std::weak_ptr<GradientView> view) : view_(std::move(view)) {}
    void animationDidStop(CAAnimation&, bool finished) override {
        if (auto view = view_.lock()) view->animationDidStop(finished);
    }

private:
    std::weak_ptr<GradientView> view_;
};

}  // namespace

GradientView::GradientView(CGRect frame) : GradientView(frame, 2) {}

GradientView::GradientView(CGRect frame, int orientation)
    : GradientView(frame, orientation, std::vector<UIColor>{UIColor::orangeColor(), UIColor::yellowColor()}) {}

GradientView::GradientView(CGRect frame, int orientation, std::vector<UIColor> colors)
    : GradientView(frame, orientation, ColorsBlock{}) {
    colorBlockColors_ = std::move(colors);
    // The block lives in the view, so it may refer back to it.
    colorsBlock_ = [this](bool initial) {
        if (!initial)
            for (UIColor& c : colorBlockColors_) c = ColorUtility::equidistantColor(c);
        return colorBlockColors_;
    };
    initialize();
}

GradientView::GradientView(CGRect frame, int orientation, ColorsBlock colorsBlock)
    : UIView(frame, layerClass()), orientation_(orientation), colorsBlock_(std::move(colorsBlock)) {
    initialize();
}

GradientView::~GradientView() { stopAnimatingImmediately(); }

void GradientView::initialize() {
    CAGradientLayer& layer = gradientLayer();
    switch (orientation_) {
    case 0: layer.setStartPoint({0.5, 0}), layer.setEndPoint({0.5, 1}); break;
    case 1: layer.setStartPoint({0, 0.5}), layer.setEndPoint({1, 0.5}); break;
    case 2: layer.setStartPoint({1, 1}), layer.setEndPoint({0, 0}); break;
    default: break;
    }
    layer.setColors(colors(true));
}

void GradientView::setOrientation(int orientation) {
    orientation_ = orientation;
    reset();
}

void GradientView::setColorsBlock(ColorsBlock block) {
    if (!block) return;
    colorsBlock_ = std::move(block);
    reset();
}

void GradientView::setDarkness(double darkness) {
    darkness_ = darkness;
    UIView* veil = viewWithTag(kVeilTag);
    if (veil == this) veil = nullptr;
    if (darkness <= 0) {
        if (veil) veil->removeFromSuperview();
        return;
    }
    if (!veil) {
        auto made = std::make_shared<UIView>(bounds());
        made->setBackgroundColor(UIColor::blackColor());
        made->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        made->setTag(kVeilTag);
        addSubview(made);
        veil = made.get();
    }
    veil->setAlpha(darkness);
}

double GradientView::animationDuration() {
    if (animationDuration_ == 0) animationDuration_ = kDefaultAnimationDuration;
    return animationDuration_;
}

std::vector<CGColor> GradientView::colors(bool initial) {
    std::vector<CGColor> out;
    if (!colorsBlock_) return out;
    for (const UIColor& c : colorsBlock_(initial)) out.push_back(c.CGColor());
    return out;
}

void GradientView::startAnimating() {
    if (animating_) return;
    animating_ = true;
    performAnimation();
}

void GradientView::startAnimatingAfterDelay() {
    if (animating_) return;
    animating_ = true;
    performAfterDelay("performAnimation", animationDelay_,
                      [](UIView& view) { static_cast<GradientView&>(view).performAnimation(); });
}

void GradientView::stopAnimatingImmediately() {
    if (!animating_) return;
    animating_ = false;
    gradientLayer().removeAllAnimations();
}

void GradientView::performAnimation() {
    if (animateScale_) {
        auto pulse = CABasicAnimation::animationWithKeyPath("transform");
        pulse->fromValue = CATransform3DIdentity;
        pulse->toValue = CATransform3DMakeScale(1.2, 1.2, 1);
        pulse->duration = animationDuration() * 0.5;
        pulse->repeatCount = 2;
        pulse->autoreverses = true;
        pulse->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
        pulse->fillMode = CAFillMode::Forwards;
        pulse->removedOnCompletion = true;
        gradientLayer().addAnimation(pulse, kScaleAnimationKey);
    }
    transitionToColors(colors());
}

void GradientView::transitionToColors(const std::vector<CGColor>& colors) {
    CAGradientLayer& layer = gradientLayer();
    const std::vector<CGColor> present = CAGradientLayer::colorsOf(layer.presentation());
    layer.setColors(colors);
    auto transition = CABasicAnimation::animationWithKeyPath("colors");
    transition->fromValue = present;
    transition->toValue = colors;
    transition->duration = animationDuration();
    transition->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    transition->fillMode = CAFillMode::Forwards;
    transition->removedOnCompletion = true;
    transition->setDelegate(
        std::make_shared<TransitionDelegate>(std::static_pointer_cast<GradientView>(shared_from_this())));
    layer.addAnimation(transition, kColorsAnimationKey);
}

void GradientView::transitionToColorsWithHueShift(double shift) {
    std::vector<CGColor> shifted;
    for (const CGColor& c : CAGradientLayer::colorsOf(gradientLayer().presentation()))
        shifted.push_back(ColorUtility::adjustColor(UIColor::colorWithCGColor(c), shift, 0, 0).CGColor());
    transitionToColors(shifted);
}

void GradientView::animationDidStop(bool) {
    if (animating_) {
        performAfterDelay("performAnimation", animationDelay_,
                          [](UIView& view) { static_cast<GradientView&>(view).performAnimation(); });
    } else if (animationStopBlock_) {
        animationStopBlock_();
    }
}
