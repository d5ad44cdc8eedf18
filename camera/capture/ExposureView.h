#pragma once
// The exposure scale beside the point-focus square: a marker (the picture "cameraExposure")
// that slides from the bottom (darkest) to the top (brightest), with a thin line above and
// below it. The input value is mapped so that `midpointValue` sits in the middle of the scale,
// then eased; the marker grows towards the top.
//
// Values and midpoints outside [0, 1] are clamped, and a midpoint at either end still gives a
// finite place: with m at 0 or below the whole scale above the middle is used, at 1 or above
// the whole scale below it.
#include <memory>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImageView.h"

class ExposureView : public UIView {
public:
    static constexpr CGSize kSize{25, 76};
    static UIColor exposureViewColor();
    // A scale of the standard size at the origin.
    static std::shared_ptr<ExposureView> exposureView();

    explicit ExposureView(CGRect frame);

    bool showValueLines() const { return showValueLines_; }
    void setShowValueLines(bool show, bool animated = false);
    double midpointValue() const { return midpointValue_; }
    // Takes effect at the next `setValue`.
    void setMidpointValue(double midpoint) { midpointValue_ = midpoint; }
    // The marker's place in [0, 1] after mapping and easing.
    double value() const { return value_; }
    void setValue(double value, bool animated = false);
    // The mapping alone, before easing.
    static double scalePosition(double value, double midpoint);

    const std::shared_ptr<UIView>& topView() const { return topView_; }
    const std::shared_ptr<UIView>& bottomView() const { return bottomView_; }
    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }

private:
    bool showValueLines_ = false;
    double midpointValue_ = 0.5;
    double value_ = 0.5;
    std::shared_ptr<UIView> topView_;
    std::shared_ptr<UIView> bottomView_;
    std::shared_ptr<UIImageView> imageView_;
};
