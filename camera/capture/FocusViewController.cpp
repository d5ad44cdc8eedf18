#include "camera/capture/FocusViewController.h"

#include <limits>

#include "model/DeviceUtility.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/uikit/UIScreen.h"

namespace {

constexpr CGFloat kGrowFrom = 1.6;
constexpr CGFloat kPulseScale = 0.9;
constexpr NSTimeInterval kPulseDuration = 0.3;
const std::string kPulseKey = "pulse";
const std::string kDimKey = "dimPointFocusView";

}  // namespace

FocusViewController::FocusViewController()
    : pointFocusView_(std::make_shared<UIImageView>(UIImage::imageNamed("cameraFocusPoint"))),
      autoFocusView_(std::make_shared<UIImageView>(UIImage::imageNamed("cameraFocusAuto"))) {}

FocusViewController::~FocusViewController() {
    if (observing_) NSNotificationCenter::defaultCenter().removeObserver(this);
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this);
}

void FocusViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    // Both squares start hidden.
    pointFocusView_->removeFromSuperview();
    autoFocusView_->removeFromSuperview();
    if (useExposureAdjustment()) {
        exposureView_ = ExposureView::exposureView();
        pointFocusView_->addSubview(exposureView_);
    }
    NSNotificationCenter::defaultCenter().addObserver(this, UIDeviceOrientationDidChangeNotification,
                                                      [this](const NSNotification&) { orientationChanged(); });
    observing_ = true;
    orientationChanged();
}

void FocusViewController::orientationChanged() {
    // The square and its scale stay upright whichever way the phone is held.
    pointFocusView_->setTransform(
        CGAffineTransformMakeRotation(AppConstants::angleForOrientation(AppConstants::orientation())));
}

void FocusViewController::presentPointFocusView(CGPoint point) {
    view();
    if (useExposureAdjustment()) {
        exposureView_->setValue(0.5);
        exposureView_->setShowValueLines(false);
        chooseExposureSide(point);
    }
    animatePresentFocusView(pointFocusView_, point);
}

void FocusViewController::chooseExposureSide(CGPoint point) {
    const CGSize square = pointFocusView_->bounds().size;
    const CGSize area = view()->bounds().size;
    const int orientation = AppConstants::orientation();
    const bool vertical = orientation == 3 || orientation == 4;
    const bool inverted = orientation == 2 || orientation == 4;
    const CGFloat edge = vertical ? point.y + square.height / 2 : point.x + square.width / 2;
    const CGFloat extent = vertical ? area.height : area.width;
    bool atRight = edge <= extent;
    if (inverted) atRight = !atRight;
    setExposureViewFrameIsAtRight(atRight);
}

void FocusViewController::presentAutoFocusView(CGPoint point) {
    view();
    if (useExposureAdjustment() && isPointFocusViewActive()) animateDismissFocusView(pointFocusView_, true);
    animatePresentFocusView(autoFocusView_, point);
}

void FocusViewController::dismissFocusView(bool animated) {
    animateDismissFocusView(isPointFocusViewActive() ? pointFocusView_ : autoFocusView_, animated);
}

void FocusViewController::dismissPointFocusViewAfterDelay(NSTimeInterval seconds) {
    // The block holds the controller until it has run.
    auto self = std::static_pointer_cast<FocusViewController>(shared_from_this());
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(seconds * 1e9)),
                   dispatch_get_main_queue(), [self] { self->dismissPointFocusView(); });
}

void FocusViewController::dismissPointFocusView() {
    if (useExposureAdjustment()) dimPointFocusView();
    else dismissFocusView();
}

void FocusViewController::dimPointFocusView() {
    pointFocusView_->layer()->removeAllAnimations();
    if (!isPointFocusViewActive()) return;
    if (exposureView_) exposureView_->setShowValueLines(false, true);
    UIView::animateWithDuration(kFadeDuration, [this] { pointFocusView_->setAlpha(kDimmedAlpha); });
}

void FocusViewController::undimPointFocusView() {
    pointFocusView_->layer()->removeAllAnimations();
    if (!isPointFocusViewActive()) return;
    if (exposureView_) exposureView_->setShowValueLines(true, true);
    UIView::animateWithDuration(kFadeDuration, [this] { pointFocusView_->setAlpha(1.0); });
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.cancelPreviousPerformRequests(this, kDimKey);
    loop.performAfterDelay(this, kDimKey, kBrightAfterChange, [this] { dimPointFocusView(); });
}

void FocusViewController::setExposureViewMidpointValue(double value) {
    if (exposureView_) exposureView_->setMidpointValue(value);
    undimPointFocusView();
}

void FocusViewController::setExposureViewValue(double value) {
    if (exposureView_) exposureView_->setValue(value, true);
    undimPointFocusView();
}

void FocusViewController::resetExposureViewMidpointAndValue() {
    if (!exposureView_) return;
    exposureView_->setMidpointValue(0.5);
    exposureView_->setValue(0.5);
}

void FocusViewController::setExposureViewFrameIsAtRight(bool atRight) {
    if (!exposureView_) return;
    const CGSize square = pointFocusView_->bounds().size;
    const CGFloat half = exposureView_->bounds().size.width / 2;
    exposureView_->setCenter({atRight ? square.width + kScaleGap + half : -kScaleGap - half, square.height / 2});
}

void FocusViewController::animatePresentFocusView(const std::shared_ptr<UIView>& focus, CGPoint point) {
    focus->layer()->removeAllAnimations();
    focus->setAlpha(0);
    view()->addSubview(focus);
    const CGSize size = focus->bounds().size;
    // Grows in from larger: the bounds scale about the centre, the orientation's turn is kept.
    focus->setCenter(point);
    focus->setBounds({{0, 0}, {size.width * kGrowFrom, size.height * kGrowFrom}});
    std::weak_ptr<UIView> weak = focus;
    UIView::animateWithDuration(
        kFadeDuration,
        [focus, size] {
            focus->setBounds({{0, 0}, size});
            focus->setAlpha(1.0);
        },
        [weak](bool) {
            auto focus = weak.lock();
            if (!focus || !focus->superview()) return;
            auto pulse = CABasicAnimation::animationWithKeyPath("transform");
            pulse->toValue = CATransform3DScale(focus->layer()->transform(), kPulseScale, kPulseScale, 1);
            pulse->duration = kPulseDuration;
            pulse->autoreverses = true;
            pulse->repeatCount = std::numeric_limits<float>::max();
            focus->layer()->addAnimation(pulse, kPulseKey);
        });
}

void FocusViewController::animateDismissFocusView(const std::shared_ptr<UIView>& focus, bool animated) {
    std::weak_ptr<UIView> weak = focus;
    auto finish = [weak](bool) {
        if (auto focus = weak.lock()) {
            focus->removeFromSuperview();
            focus->layer()->removeAllAnimations();
        }
    };
    if (!animated) {
        focus->setAlpha(0);
        finish(true);
        return;
    }
    UIView::animateWithDuration(
        kFadeDuration, [focus] { focus->setAlpha(0); }, finish);
}
