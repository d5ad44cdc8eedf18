#include "app/settings/ColorView.h"

#include <algorithm>

#include "model/DeviceUtility.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+ColorNaming.h"
#include "ui/appearance/UIColor+ColorUtility.h"
#include "ui/appearance/UIView+EffectUtility.h"

namespace {

UIColor hsl(double h, double s, double l) { return ColorUtility::colorWithHueSaturationLightness(h, s, l, 1.0); }

// The five stops of a slider's gradient, its own component running 0 to 1.
std::vector<CGColor> stops(const std::function<UIColor(double)>& colorAt) {
    std::vector<CGColor> colors;
    for (double v : {0.0, 0.25, 0.5, 0.75, 1.0}) colors.push_back(colorAt(v).CGColor());
    return colors;
}

}  // namespace

ColorView::ColorView(CGRect frame) : UIView(frame) { initialize(); }

void ColorView::initialize() {
    setBackgroundColor(UIColor::clearColor());
    colorDisplayView_ = std::make_shared<CircularProgressView>(CGRectMake(0, 0, kRingSide, kRingSide));
    colorDisplayView_->setThickness(3.0);
    colorDisplayView_->setProgress(1.0);
    colorDisplayView_->setShowLabel(false);
    colorDisplayView_->setAlpha(0);
    colorDisplayView_->setShowProgress(false);
    addSubview(colorDisplayView_);

    colorTextDisplayView_ = TextDisplayView::textDisplayViewWithHeaderOfSize(42);
    const CGFloat t = colorDisplayView_->relativeThickness();
    const CGRect ring = colorDisplayView_->bounds();
    const CGSize inside{ring.size.width * (1 - t), ring.size.height * (1 - t)};
    colorTextDisplayView_->setFrame(CGRectMake(CGRectGetMidX(ring) - inside.width / 2,
                                               CGRectGetMidY(ring) - inside.height / 2, inside.width, inside.height));
    colorTextDisplayView_->setHeaderColor(AppAppearance::defaultLightColor());
    colorTextDisplayView_->setHeaderIsMultiline(true);
    EffectUtility::addGlow(*colorTextDisplayView_, AppAppearance::defaultShadowColor(), 0.8);
    colorDisplayView_->addSubview(colorTextDisplayView_);

    // The sliders belong to this view, so their blocks may hold it plainly.
    auto slider = [&](void (ColorView::*setter)(double)) {
        auto view = std::make_shared<SlideView>(CGRectMake(0, 0, 1, 1));
        view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
        view->setUseGradient(true);
        view->setPanningEnabled(true);
        view->setAlpha(0);
        view->setValueChanged([this, setter](double value) { (this->*setter)(value); });
        addSubview(view);
        return view;
    };
    lightnessSlideView_ = slider(&ColorView::setLightness);
    saturationSlideView_ = slider(&ColorView::setSaturation);
    hueSlideView_ = slider(&ColorView::setHue);
    hueSlideView_->setGradientColors(
        {{1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 1, 1}, {0, 0, 1, 1}, {1, 0, 1, 1}, {1, 0, 0, 1}});
    layoutSliders();
    setColorWithHSL();
}

void ColorView::layoutSliders() {
    const CGFloat width = bounds().size.width;
    CGFloat y = bounds().size.height - kBottomMargin;
    auto place = [&](SlideView& slider, bool hidden) {
        slider.setHidden(hidden);
        if (hidden) return;
        slider.setFrame(CGRectMake(0, y, width, kSliderHeight));
        y -= kSliderSpacing;
    };
    place(*hueSlideView_, hideHue_);
    place(*saturationSlideView_, hideSaturation_);
    place(*lightnessSlideView_, false);
}

void ColorView::layoutSubviews() {
    UIView::layoutSubviews();
    const double relativeY = DeviceUtility::isIPad() ? 0.665 : 0.63;
    PositioningUtility::positionViewAtRelativeCenterY(*colorDisplayView_, relativeY, *this);
}

void ColorView::setColor(const UIColor& color) {
    CGFloat h = 0, s = 0, l = 0, a = 0;
    ColorUtility::getHSLA(color, &h, &s, &l, &a);
    hue_ = h, saturation_ = s, lightness_ = l;
    setColorWithHSL();
}

void ColorView::setHue(double hue) {
    hue_ = hue;
    changed();
}

void ColorView::setSaturation(double saturation) {
    saturation_ = saturation;
    changed();
}

void ColorView::setLightness(double lightness) {
    lightness_ = lightness;
    changed();
}

void ColorView::changed() {
    setColorWithHSL();
    if (colorChanged_) colorChanged_(color_);
}

void ColorView::setColorWithHSL() {
    color_ = hsl(hue_, saturation_, lightness_);
    colorDisplayView_->setProgressColor(color_);
    std::string name = ColorNaming::colorName(color_);
    std::replace(name.begin(), name.end(), ' ', '\n');
    colorTextDisplayView_->setHeaderText(name);

    lightnessSlideView_->setIndicatorColor(color_);
    lightnessSlideView_->setValue(lightness_);
    lightnessSlideView_->setGradientColors(stops([&](double l) { return hsl(hue_, saturation_, l); }));
    saturationSlideView_->setIndicatorColor(color_);
    saturationSlideView_->setValue(saturation_);
    saturationSlideView_->setGradientColors(stops([&](double s) { return hsl(hue_, s, lightness_); }));
    hueSlideView_->setIndicatorColor(hsl(hue_, saturation_, 0.5));
    hueSlideView_->setValue(hue_);
}

void ColorView::animateColorView(bool show, Completion completion) {
    AnimationUtility::animateView(
        colorDisplayView_,
        AnimationUtility::fadeAndTransform(CGAffineTransformMakeScale(0.1, 0.1), show, kRingDuration),
        std::move(completion));
    for (const auto& slider : {hueSlideView_, saturationSlideView_, lightnessSlideView_})
        slider->animateSlideView(show);
}
