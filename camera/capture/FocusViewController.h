#pragma once
// The focus overlay over the live preview: a point-focus square where the user tapped, which
// grows in, pulses, carries the exposure scale beside it and dims when left alone; and an
// automatic-focus square at the centre while the camera refocuses by itself. A square counts
// as showing while it has a superview. The views are built in code (no interface file).
// Main thread only.
#include <memory>

#include "camera/capture/ExposureView.h"
#include "platform/uikit/UIViewController.h"

class FocusViewController : public UIViewController {
public:
    // Grow-in, fade-out and the dim and undim fades.
    static constexpr NSTimeInterval kFadeDuration = 0.2;
    static constexpr NSTimeInterval kBrightAfterChange = 1.5;
    static constexpr CGFloat kDimmedAlpha = 0.2;
    // The gap between the square and its exposure scale.
    static constexpr CGFloat kScaleGap = 4.0;

    // The exposure scale and the exposure pan are on.
    static bool useExposureAdjustment() { return true; }

    FocusViewController();
    ~FocusViewController() override;

    void viewDidLoad() override;
    void orientationChanged();

    const std::shared_ptr<UIImageView>& pointFocusView() const { return pointFocusView_; }
    const std::shared_ptr<UIImageView>& autoFocusView() const { return autoFocusView_; }
    const std::shared_ptr<ExposureView>& exposureView() const { return exposureView_; }

    void presentPointFocusView(CGPoint point);
    void presentAutoFocusView(CGPoint point);
    void dismissFocusView(bool animated = true);
    void dismissPointFocusViewAfterDelay(NSTimeInterval seconds);
    void dismissPointFocusView();
    bool isFocusViewActive() const { return isAutoFocusViewActive() || isPointFocusViewActive(); }
    bool isAutoFocusViewActive() const { return autoFocusView_->superview() != nullptr; }
    bool isPointFocusViewActive() const { return pointFocusView_->superview() != nullptr; }
    void dimPointFocusView();
    void undimPointFocusView();

    void setExposureViewMidpointValue(double value);
    void setExposureViewValue(double value);
    void resetExposureViewMidpointAndValue();
    void setExposureViewFrameIsAtRight(bool atRight);

private:
    void animatePresentFocusView(const std::shared_ptr<UIView>& view, CGPoint point);
    void animateDismissFocusView(const std::shared_ptr<UIView>& view, bool animated);
    void chooseExposureSide(CGPoint point);

    std::shared_ptr<UIImageView> pointFocusView_;
    std::shared_ptr<UIImageView> autoFocusView_;
    std::shared_ptr<ExposureView> exposureView_;
    bool observing_ = false;
};
