#pragma once
// A ring-shaped progress indicator with a two-line label in its centre (a text, the
// percentage, or both). Progress changes can be animated (a whole sweep takes one second,
// eased); an endless spin stands for work of open-ended length; the view turns with the
// device. The drawing is CircularProgressLayer's, hosted by a CircularProgressRenderView laid
// over the label (the label shows through the ring's hole).
//
// `progress` reads back the last value given, unclamped; the ring draws it clamped to 0…1.
// A new view reads 0.5 but draws an empty ring until its first progress change. The plain
// setters only store: their change shows at the next redraw.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"
#include "ui/widgets/CircularProgressRenderView.h"
#include "ui/widgets/TextDisplayView.h"

class CircularProgressView : public UIView {
public:
    explicit CircularProgressView(CGRect frame = CGRectZero);
    ~CircularProgressView() override;

    const std::optional<UIColor>& circleColor() const { return circleColor_; }
    void setCircleColor(std::optional<UIColor> color) { circleColor_ = std::move(color); }
    const std::optional<UIColor>& progressColor() const { return progressColor_; }
    // In blur mode a visual-effect colour becomes the view's background, masked to the ring.
    void setProgressColor(std::optional<UIColor> color);
    bool roundedCorners() const { return roundedCorners_; }
    void setRoundedCorners(bool rounded) { roundedCorners_ = rounded; }
    // The ring's width as a fraction of the radius.
    CGFloat relativeThickness() const { return relativeThickness_; }
    void setRelativeThickness(CGFloat thickness) { relativeThickness_ = thickness; }
    // The ring's width in points at the current bounds. On a view without size setting it
    // keeps the previous fraction.
    CGFloat thickness() const;
    void setThickness(CGFloat thickness);
    CGFloat progress() const { return progress_; }
    void setProgress(CGFloat progress) { setProgress(progress, false); }
    void setProgress(CGFloat progress, bool animated) { setProgress(progress, animated, nullptr); }
    // The completion comes only for an animated change, with true, when its animation ends.
    void setProgress(CGFloat progress, bool animated, std::function<void(bool)> completion);
    bool clockwise() const { return clockwise_; }
    void setClockwise(bool clockwise) { clockwise_ = clockwise; }
    bool inverted() const { return inverted_; }
    void setInverted(bool inverted) { inverted_ = inverted; }
    bool useGradient() const { return useGradient_; }
    void setUseGradient(bool use) { useGradient_ = use; }
    bool useVisualEffect() const { return useVisualEffect_; }
    void setUseVisualEffect(bool use) { useVisualEffect_ = use; }
    bool showProgress() const { return showProgress_; }
    void setShowProgress(bool show);
    bool showLabel() const { return showLabel_; }
    void setShowLabel(bool show);
    bool showProgressLabel() const { return showProgressLabel_; }
    // The percentage in the header line and the display text in the detail line.
    void setShowProgressLabel(bool show);
    const std::string& displayText() const { return displayText_; }
    void setDisplayText(const std::string& text);
    const UIColor& textColor() const { return textColor_; }
    // Does not recolour a label that already exists.
    void setTextColor(UIColor color) { textColor_ = std::move(color); }
    bool indeterminate() const { return indeterminate_; }
    // Yes spins the whole view once every two seconds for ever (a second yes does not
    // restart it) with the progress at 0.5; no stops it and leaves the progress at 0.
    void setIndeterminate(bool indeterminate);
    // Turns the view by the orientation's angle (0.2 s when animated); nothing on a pad.
    void setOrientation(int orientation, bool animated);

    CircularProgressRenderView& renderView() const { return *renderView_; }
    const std::shared_ptr<TextDisplayView>& textDisplayView() const { return textDisplayView_; }

    static constexpr const char* kIndeterminateAnimationKey = "indeterminateAnimation";
    static constexpr double kSpinDuration = 2.0;
    static constexpr double kHeaderFontSize = 32, kDetailFontSize = 28, kTextSpacing = 6;

private:
    void initialize();

    std::optional<UIColor> circleColor_, progressColor_;
    bool roundedCorners_ = false;
    CGFloat relativeThickness_ = 0.4;
    CGFloat progress_ = 0;
    bool clockwise_ = false, inverted_ = true, useGradient_ = false, useVisualEffect_ = false;
    bool showProgress_ = true, showLabel_ = false, showProgressLabel_ = false, indeterminate_ = false;
    std::string displayText_;
    UIColor textColor_ = UIColor::whiteColor();
    std::shared_ptr<CircularProgressRenderView> renderView_;
    std::shared_ptr<TextDisplayView> textDisplayView_;
};
