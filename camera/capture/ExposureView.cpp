#include "camera/capture/ExposureView.h"

#include <algorithm>
#include <cmath>

#include "ui/appearance/AppAppearance.h"

namespace {

constexpr CGFloat kLineWidth = 2.0;
constexpr CGFloat kLineGap = 4.0;
constexpr NSTimeInterval kLineFade = 0.2;
// The marker's scale at the middle, and how much it grows or shrinks towards either end.
constexpr CGFloat kMarkerGrowth = 0.3;

double clampUnit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.5; }

}  // namespace

UIColor ExposureView::exposureViewColor() { return AppAppearance::defaultLightColor(); }

std::shared_ptr<ExposureView> ExposureView::exposureView() {
    return std::make_shared<ExposureView>(CGRect{{0, 0}, kSize});
}

ExposureView::ExposureView(CGRect frame) : UIView(frame) {
    topView_ = std::make_shared<UIView>();
    bottomView_ = std::make_shared<UIView>();
    for (const auto& line : {topView_, bottomView_}) {
        line->setBackgroundColor(exposureViewColor());
        addSubview(line);
    }
    imageView_ = std::make_shared<UIImageView>(UIImage::imageNamed("cameraExposure"));
    addSubview(imageView_);
    setShowValueLines(false);
    setValue(0.5);
}

void ExposureView::setShowValueLines(bool show, bool animated) {
    showValueLines_ = show;
    UIView::animateWithDuration(animated ? kLineFade : 0.0, [this, show] {
        topView_->setAlpha(show ? 1.0 : 0.0);
        bottomView_->setAlpha(show ? 1.0 : 0.0);
    });
}

double ExposureView::scalePosition(double value, double midpoint) {
    const double v = clampUnit(value), m = clampUnit(midpoint);
    if (m <= 0) return 0.5 + 0.5 * v;
    if (m >= 1) return 0.5 * v;
    return v <= m ? (v / m) * 0.5 : ((v - m) / (1 - m)) * 0.5 + 0.5;
}

void ExposureView::setValue(double value, bool /*animated: the marker moves at once either way*/) {
    const double t = scalePosition(value, midpointValue_);
    value_ = t * t * (3 - 2 * t);
    const CGRect b = bounds();
    const CGFloat width = b.size.width, height = b.size.height;
    imageView_->setTransform(CGAffineTransformIdentity);
    const CGSize marker = imageView_->bounds().size;
    const CGFloat hh = marker.height / 2;
    imageView_->setCenter({width / 2 + 1.0, hh + (1 - value_) * (height - 2 * hh)});
    const CGFloat top = imageView_->center().y - hh, bottom = imageView_->center().y + hh;
    if (top - kLineGap >= 0) topView_->setFrame({{width / 2, 0}, {kLineWidth, top - kLineGap}});
    topView_->setHidden(top - kLineGap < 0);
    const CGFloat start = bottom + kLineGap;
    if (start <= height) bottomView_->setFrame({{width / 2, start}, {kLineWidth, height - start}});
    bottomView_->setHidden(start > height);
    const CGFloat scale = (value_ - 0.5) * kMarkerGrowth + 1.0;
    imageView_->setTransform(CGAffineTransformMakeScale(scale, scale));
}
