#pragma once
// A view that paints a linear gradient (its layer is a CAGradientLayer) and can drift its
// colours slowly and endlessly, optionally pulsing its scale, behind a screen's content.
//
// The colours come only from the colours block, called with YES for the first colours and NO
// for each next step of the cycle; the default block answers `colorBlockColors` at first and
// then moves each of them on by the golden-ratio hue step. A cycle: an optional scale pulse,
// then a linear transition of the layer's colours to the next ones over `animationDuration`
// (12 s unless set); when it stops, the next cycle starts after `animationDelay` while the
// view is still animating, else the stop block runs. The animation and the delayed start hold
// the view weakly, so the cycle ends with the view.
//
// `darkness` lays one black veil over the gradient whose alpha is the darkness; 0 or less
// removes it.
#include <functional>
#include <memory>
#include <vector>

#include "platform/quartzcore/CAGradientLayer.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"

class GradientView : public UIView {
public:
    using ColorsBlock = std::function<std::vector<UIColor>(bool initial)>;

    static inline const std::string kScaleAnimationKey = "kGradientViewScaleAnimation";
    static inline const std::string kColorsAnimationKey = "kGradientViewAnimation";
    static constexpr int kVeilTag = 1;
    static constexpr double kDefaultAnimationDuration = 12;

    static LayerClass layerClass() {
        return [] { return std::shared_ptr<CALayer>(CAGradientLayer::layer()); };
    }

    // Diagonal, orange to yellow.
    explicit GradientView(CGRect frame = CGRectZero);
    // Orange to yellow.
    GradientView(CGRect frame, int orientation);
    GradientView(CGRect frame, int orientation, std::vector<UIColor> colors);
    GradientView(CGRect frame, int orientation, ColorsBlock colorsBlock);
    ~GradientView() override;

    CAGradientLayer& gradientLayer() const { return static_cast<CAGradientLayer&>(*layer()); }

    bool isAnimating() const { return animating_; }
    bool animateScale() const { return animateScale_; }
    void setAnimateScale(bool animate) { animateScale_ = animate; }
    // 0 vertical, 1 horizontal, 2 diagonal (bottom-right to top-left); any other value leaves
    // the layer's own points. Setting it starts the gradient afresh.
    int orientation() const { return orientation_; }
    void setOrientation(int orientation);
    const ColorsBlock& colorsBlock() const { return colorsBlock_; }
    // An empty block is ignored: the gradient's colours come only from a block.
    void setColorsBlock(ColorsBlock block);
    double darkness() const { return darkness_; }
    void setDarkness(double darkness);
    // A stored 0 reads as 12 (and 12 is then stored).
    double animationDuration();
    void setAnimationDuration(double seconds) { animationDuration_ = seconds; }
    double animationDelay() const { return animationDelay_; }
    void setAnimationDelay(double seconds) { animationDelay_ = seconds; }
    const std::function<void()>& animationStopBlock() const { return animationStopBlock_; }
    void setAnimationStopBlock(std::function<void()> block) { animationStopBlock_ = std::move(block); }
    const std::vector<UIColor>& colorBlockColors() const { return colorBlockColors_; }
    void setColorBlockColors(std::vector<UIColor> colors) { colorBlockColors_ = std::move(colors); }

    // The block's colours as layer colours: the first ones, or the next of the cycle.
    std::vector<CGColor> colors(bool initial);
    std::vector<CGColor> colors() { return colors(false); }

    void startAnimating();
    void startAnimatingAfterDelay();
    // The running transition finishes, then the stop block runs.
    void stopAnimating() { animating_ = false; }
    // Removes the layer's animations at once.
    void stopAnimatingImmediately();

    void transitionToColors(const std::vector<CGColor>& colors);
    // The present colours with their hues moved by the shift (clamped to 0-1, not wrapped).
    void transitionToColorsWithHueShift(double shift);
    // Where a transition's stop arrives, whatever its finished flag.
    void animationDidStop(bool finished);

private:
    void initialize();
    void reset() { initialize(); }
    void performAnimation();

    bool animating_ = false;
    bool animateScale_ = false;
    int orientation_ = 2;
    ColorsBlock colorsBlock_;
    double darkness_ = 0;
    double animationDuration_ = 0;
    double animationDelay_ = 0;
    std::function<void()> animationStopBlock_;
    std::vector<UIColor> colorBlockColors_;
};
