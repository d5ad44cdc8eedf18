#pragma once
// A slider for one value between 0 and 1 drawn as a piece of a very large circle: a thin ring
// whose top touches the middle of the view's top edge, so the track is a shallow arc across
// the view. A disc knob rides the ring's middle line at the value's angle, optionally with a
// percentage label above it; a horizontal drag anywhere moves the value by the drag over the
// usable width (it does not jump to the finger); a tap on the knob calls `indicatorBlock`.
// Shown and hidden with a horizontal wipe and a spring pop of the knob.
//
// `value` reads back what was given, unclamped; the knob and the filled part are placed from
// it as given, while the layer, the label and the redraw test use it clamped.
//
// Geometry (W, H the bounds size, y down): radius R = W × W/160 × `curvature`, centre
// M = (mid x, mid y + R − H/2); the usable arc ends where the circle meets x = `padding` (at
// the angle α either side of the top; the whole upper half when the circle misses that line).
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIView.h"
#include "ui/widgets/SlideLayer.h"
#include "ui/widgets/TextDisplayView.h"

class SlideView : public UIView {
public:
    explicit SlideView(CGRect frame = CGRectZero);
    ~SlideView() override;
    static LayerClass layerClass() {
        return [] { return std::shared_ptr<CALayer>(std::make_shared<SlideLayer>()); };
    }
    SlideLayer& slideLayer() const { return static_cast<SlideLayer&>(*layer()); }

    // ---- Look (stored only: shown at the next redraw) ---------------------------------------
    bool useGradient() const { return useGradient_; }
    void setUseGradient(bool use) { useGradient_ = use; }
    bool useValueGradient() const { return useValueGradient_; }
    void setUseValueGradient(bool use) { useValueGradient_ = use; }
    bool showValue() const { return showValue_; }
    void setShowValue(bool show) { showValue_ = show; }
    const UIColor& color() const { return color_; }
    void setColor(UIColor color) { color_ = std::move(color); }
    const UIColor& valueColor() const { return valueColor_; }
    // Also the knob's colour; redraws.
    void setValueColor(UIColor color);
    // Read when the knob is made.
    CGFloat indicatorWidth() const { return indicatorWidth_; }
    void setIndicatorWidth(CGFloat width) { indicatorWidth_ = width; }
    void setIndicatorColor(const UIColor& color);
    void setIndicatorBorderWidth(CGFloat width);
    CGFloat thickness() const { return thickness_; }
    void setThickness(CGFloat thickness) { thickness_ = thickness; }
    CGFloat curvature() const { return curvature_; }
    void setCurvature(CGFloat curvature) { curvature_ = curvature; }
    CGFloat padding() const { return padding_; }
    void setPadding(CGFloat padding) { padding_ = padding; }
    const std::vector<CGColor>& gradientColors() const { return gradientColors_; }
    // Redraws.
    void setGradientColors(std::vector<CGColor> colors);

    // ---- Value -----------------------------------------------------------------------------
    double value() const { return value_; }
    void setValue(double value) { setValue(value, false); }
    void setValue(double value, bool animated);
    bool showValueIndicator() const { return showValueIndicator_; }
    // The percentage label above the knob (its text comes with the next value change).
    void setShowValueIndicator(bool show);
    bool panningEnabled() const { return panRecognizer_ != nullptr; }
    void setPanningEnabled(bool enabled);
    using ValueBlock = std::function<void(double value)>;
    // On every drag event, the first and the last included.
    void setValueChanged(ValueBlock block) { valueChanged_ = std::move(block); }
    void setValueWillBeginChange(ValueBlock block) { valueWillBeginChange_ = std::move(block); }
    // When a drag ends, is cancelled or fails.
    void setValueWillFinishChange(ValueBlock block) { valueWillFinishChange_ = std::move(block); }
    void setIndicatorBlock(std::function<void()> block) { indicatorBlock_ = std::move(block); }
    void handlePanGesture(UIPanGestureRecognizer& pan);

    const std::shared_ptr<UIButton>& indicatorView() const { return indicatorView_; }
    UIPanGestureRecognizer* panRecognizer() const { return panRecognizer_.get(); }
    TextDisplayView* textDisplayView() const { return textDisplayView_.get(); }

    // ---- Geometry --------------------------------------------------------------------------
    CGFloat circleRadius() const;
    CGPoint circleCenter() const;
    CGFloat circleWidth() const { return thickness_; }
    double angleOfIntersection() const;
    // The value as a fraction of the upper half circle (0 left, 0.5 top, 1 right).
    double circleAdjustedValue() const;
    // The knob's centre, on the ring's middle line.
    CGPoint valueLocation() const;
    // Where the line through the two points meets the circle (the point nearer p1 first),
    // computed in single precision but for the square root.
    static std::vector<CGPoint> intersectionPointsOfCircle(CGPoint center, float radius, CGPoint p1, CGPoint p2);

    // ---- Showing ---------------------------------------------------------------------------
    using Completion = std::function<void(bool finished)>;
    // A wipe from the left edge (in) or toward the right edge (out) with the knob's pop.
    void animateSlideView(bool show, Completion completion = nullptr);
    void animateIndicatorView(bool show, Completion completion = nullptr);
    // The label turns upright for the device; nothing on a pad.
    void setOrientation(int orientation, bool animated);

    // The knob answers for itself (also outside the view); the view answers up to 20 points
    // above its top edge.
    UIView* hitTest(CGPoint point) override;
    void layoutSubviews() override;
    void didMoveToWindow() override;
    // The layer draws the ring itself.
    bool displayLayer(CALayer&) override { return false; }

    static constexpr CGFloat kTouchMarginAbove = 20;
    static constexpr double kShowPop = 0.6, kHidePop = 0.4;

private:
    void initialize();

    bool useGradient_ = false, useValueGradient_ = false, showValue_ = false, showValueIndicator_ = false;
    UIColor color_ = UIColor::whiteColor(), valueColor_ = UIColor::whiteColor();
    CGFloat indicatorWidth_ = 20, thickness_ = 3, curvature_ = 1, padding_ = 24;
    double value_ = 0.5;
    std::vector<CGColor> gradientColors_;
    ValueBlock valueChanged_, valueWillBeginChange_, valueWillFinishChange_;
    std::function<void()> indicatorBlock_;
    std::shared_ptr<UIButton> indicatorView_;
    std::shared_ptr<UIPanGestureRecognizer> panRecognizer_;
    std::shared_ptr<TextDisplayView> textDisplayView_;
    CGSize laidOutSize_{};
};
