#pragma once
// The custom-colour editor: a large ring drawn in the colour with the colour's name inside
// (one word a line), and three gradient sliders below it for lightness, saturation and hue
// (hue lowest, 42 points apart). The colour is kept as hue, saturation and lightness, each in
// [0, 1]. `setColor` sets all three quietly; the sliders' moves go through `setHue`,
// `setSaturation` and `setLightness`, which tell `colorChanged`. The lightness and saturation
// sliders' gradients follow the other two components; the hue slider shows the rainbow.
#include <functional>
#include <memory>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"
#include "ui/widgets/CircularProgressView.h"
#include "ui/widgets/SlideView.h"
#include "ui/widgets/TextDisplayView.h"

class ColorView : public UIView {
public:
    using ColorBlock = std::function<void(const UIColor&)>;
    using Completion = std::function<void(bool finished)>;
    static constexpr CGFloat kRingSide = 306;
    static constexpr CGFloat kSliderHeight = 57, kSliderSpacing = 42, kBottomMargin = 62;
    static constexpr NSTimeInterval kRingDuration = 0.4;

    explicit ColorView(CGRect frame = CGRectZero);

    double hue() const { return hue_; }
    double saturation() const { return saturation_; }
    double lightness() const { return lightness_; }
    void setHue(double hue);
    void setSaturation(double saturation);
    void setLightness(double lightness);
    const UIColor& color() const { return color_; }
    // Does not tell `colorChanged`.
    void setColor(const UIColor& color);
    void setColorChanged(ColorBlock block) { colorChanged_ = std::move(block); }

    bool hideHue() const { return hideHue_; }
    void setHideHue(bool hide) { hideHue_ = hide; }
    bool hideSaturation() const { return hideSaturation_; }
    void setHideSaturation(bool hide) { hideSaturation_ = hide; }

    // The ring grows from a tenth and fades in (0.4 s) while the sliders wipe in; hiding
    // reverses both. The completion follows the ring.
    void animateColorView(bool show, Completion completion);

    const std::shared_ptr<CircularProgressView>& colorDisplayView() const { return colorDisplayView_; }
    const std::shared_ptr<TextDisplayView>& colorTextDisplayView() const { return colorTextDisplayView_; }
    const std::shared_ptr<SlideView>& lightnessSlideView() const { return lightnessSlideView_; }
    const std::shared_ptr<SlideView>& saturationSlideView() const { return saturationSlideView_; }
    const std::shared_ptr<SlideView>& hueSlideView() const { return hueSlideView_; }

    void layoutSliders();
    void setColorWithHSL();
    void layoutSubviews() override;

private:
    void initialize();
    void changed();

    double hue_ = 0, saturation_ = 0, lightness_ = 0;
    UIColor color_ = UIColor::blackColor();
    ColorBlock colorChanged_;
    bool hideHue_ = false, hideSaturation_ = false;
    std::shared_ptr<CircularProgressView> colorDisplayView_;
    std::shared_ptr<TextDisplayView> colorTextDisplayView_;
    std::shared_ptr<SlideView> lightnessSlideView_, saturationSlideView_, hueSlideView_;
};
