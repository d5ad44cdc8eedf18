#include "camera/capture/CameraFocusController.h"

#include <algorithm>
#include <utility>
#include <cmath>

#include "camera/capture/FocusViewController.h"
#include "camera/capture/VideoController.h"
#include "engine/view/GraphicsView.h"
#include "model/DeviceUtility.h"
#include "platform/foundation/NSRunLoop.h"

using namespace platform;

namespace {

const std::string kUnlockKey = "unlockFocusAndExposureMode";
const std::string kGiveUpKey = "cancelWaitForPendingExposure";
constexpr int64_t kContinuous = 2;
// The fifth root spreads the short exposures, where the eye sees most change.
constexpr float kExposureCurve = 0.2f;

bool settlesContinuously(const AVCaptureDevice& device, bool focus) {
    return focus ? device.isFocusPointOfInterestSupported() && device.isFocusModeSupported(kContinuous)
                 : device.isExposurePointOfInterestSupported() && device.isExposureModeSupported(kContinuous);
}

}  // namespace

CameraFocusController::~CameraFocusController() {
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this);
    stopObservingExposure();
    removeFocusObserver();
    if (tap_) view_.removeGestureRecognizer(tap_.get());
    if (pan_) view_.removeGestureRecognizer(pan_.get());
    if (focusViewController_) focusViewController_->view()->removeFromSuperview();
}

AVCaptureDeviceRef CameraFocusController::currentDevice() const {
    return controller_.cameraWithPosition(controller_.videoDevicePosition());
}

// ---- Switching on and off -----------------------------------------------------------------

void CameraFocusController::enableFocus() {
    if (!focusViewController_) focusViewController_ = std::make_shared<FocusViewController>();
    resetFocusView();
    presentFocusView();
    if (!tap_) {
        tap_ = std::make_shared<UITapGestureRecognizer>();
        tap_->addTarget(this, [this](UIGestureRecognizer& tap) {
            if (!focusViewController_) return;
            focusAtPoint(tap.locationInView(&view_), true);
            focusViewController_->resetExposureViewMidpointAndValue();
            reread_ = true;  // the next pan starts from the exposure the device found
        });
        view_.addGestureRecognizer(tap_);
    }
    if (FocusViewController::useExposureAdjustment() && !pan_) {
        pan_ = std::make_shared<UIPanGestureRecognizer>();
        pan_->addTarget(
            this, [this](UIGestureRecognizer& pan) { handleFocusPan(static_cast<UIPanGestureRecognizer&>(pan)); });
        view_.addGestureRecognizer(pan_);
    }
    addFocusObserver();
}

void CameraFocusController::disableFocus() {
    // Nothing scheduled or waited for outlives the camera (the wait's block schedules the
    // unlock, so it ends first).
    cancelWaitForPendingFocusAndExposure();
    cancelUnlockFocusAndExposureMode();
    releaseQueuedShutter(false);
    dismissFocusView();
    focusViewController_ = nullptr;
    if (tap_) view_.removeGestureRecognizer(tap_.get());
    tap_ = nullptr;
    if (pan_) view_.removeGestureRecognizer(pan_.get());
    pan_ = nullptr;
    removeFocusObserver();
}

void CameraFocusController::presentFocusView() {
    UIView& overlay = *focusViewController_->view();
    overlay.setUserInteractionEnabled(false);  // the camera view's recognisers take the touches
    overlay.setFrame(view_.bounds());
    overlay.setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view_.addSubview(focusViewController_->view());
}

void CameraFocusController::dismissFocusView() {
    if (!focusViewController_) return;
    if (focusViewController_->isFocusViewActive()) focusViewController_->dismissFocusView(false);
    focusViewController_->view()->removeFromSuperview();
}

void CameraFocusController::showFocusView(bool show) {
    if (focusViewController_) focusViewController_->view()->setHidden(!show);
}

void CameraFocusController::resetFocusView() {
    cancelUnlockFocusAndExposureMode();
    cancelWaitForPendingFocusAndExposure();
    releaseQueuedShutter(false);
    if (focusViewController_ && focusViewController_->isFocusViewActive()) focusViewController_->dismissFocusView();
    restoreFocusAndExposureToDefault();
    // After a swap the current device is another one: the automatic square follows it.
    if (focusDevice_) addFocusObserver();
}

// ---- Points ---------------------------------------------------------------------------------

CGPoint CameraFocusController::viewPointToDevicePointOfInterest(CGPoint point) const {
    const CGSize size = view_.frame().size;
    const CGSize image = view_.currentImageSize();
    const CGSize display = view_.currentDisplayFrame().size;
    const double zoom = view_.cameraZoomScale();
    double x = point.x, y = point.y;
    if (controller_.isFrontFacing()) x = size.width - x;  // the preview is mirrored
    if (zoom > 1) {
        x = (x + (size.width * zoom * 0.5 - size.width * 0.5)) / zoom;
        y = (y + (size.height * zoom * 0.5 - size.height * 0.5)) / zoom;
    }
    // The device's axes are the landscape sensor's: the view's vertical axis comes first.
    const double u = (y / size.height) * (display.width / image.width);
    const double v = (1 - x / size.width) * (display.height / image.height);
    // Before the first frame (or in a view without size) the sizes say nothing: the centre.
    if (!std::isfinite(u) || !std::isfinite(v)) return CGPointMake(0.5, 0.5);
    return CGPointMake(std::clamp(u, 0.0, 1.0), std::clamp(v, 0.0, 1.0));
}

void CameraFocusController::focusAndExposureAtPoint(const AVCaptureDeviceRef& device, CGPoint devicePoint, bool lock) {
    if (!device) return;
    const int64_t mode = lock ? 1 : kContinuous;
    const bool focus = device->isFocusPointOfInterestSupported() && device->isFocusModeSupported(mode);
    const bool exposure = device->isExposurePointOfInterestSupported() && device->isExposureModeSupported(mode);
    if (!focus && !exposure) return;
    device->lockForConfiguration();
    if (focus) {
        device->setFocusPointOfInterest(devicePoint);
        device->setFocusMode(mode);
    }
    if (exposure) {
        device->setExposurePointOfInterest(devicePoint);
        device->setExposureMode(mode);
    }
    device->unlockForConfiguration();
}

void CameraFocusController::focusAtPoint(CGPoint viewPoint, bool lock) {
    if (focusViewController_) {
        if (focusViewController_->isFocusViewActive()) focusViewController_->dismissFocusView(false);
        focusViewController_->presentPointFocusView(viewPoint);
    }
    focusAndExposureAtPoint(currentDevice(), viewPointToDevicePointOfInterest(viewPoint), lock);
    waitForPendingFocusAndExposure([this](bool) {
        if (focusViewController_) focusViewController_->dismissPointFocusViewAfterDelay(kDimPointAfterSeconds);
        delayUnlockFocusAndExposureMode();
    });
}

// ---- Exposure -------------------------------------------------------------------------------

double CameraFocusController::normalizedExposureDuration(double seconds, double minimum, double maximum) {
    if (!(maximum > minimum) || !std::isfinite(seconds)) return 0;
    const double share = std::clamp((seconds - minimum) / (maximum - minimum), 0.0, 1.0);
    return std::pow(share, static_cast<double>(kExposureCurve));
}

double CameraFocusController::normalizeExposureDuration(double value, double minimum, double maximum) {
    const double v = std::clamp(std::isfinite(value) ? value : 0.0, 0.0, 1.0);
    return minimum + std::pow(v, 1.0 / static_cast<double>(kExposureCurve)) * std::max(0.0, maximum - minimum);
}

double CameraFocusController::panStep(double translation, double extent, double frameRate) {
    const double factor =
        std::isfinite(frameRate) && frameRate > 0 ? AppConstants::defaultRealtimeFramerate() / frameRate : 1.0;
    if (!(extent > 0) || !std::isfinite(translation)) return 0;
    return factor * kPanStepPerExtent * translation / extent;
}

double CameraFocusController::currentExposureDuration() const {
    const AVCaptureDeviceRef device = currentDevice();
    if (!device) return 0;
    const double seconds = CMTimeGetSeconds(device->exposureDuration());
    return normalizedExposureDuration(seconds, CMTimeGetSeconds(device->minExposureDuration()),
                                      CMTimeGetSeconds(device->maxExposureDuration()));
}

void CameraFocusController::setExposureDuration(double value) {
    delayUnlockFocusAndExposureMode();
    const AVCaptureDeviceRef device = currentDevice();
    if (!device) return;
    value = std::clamp(value, 0.0, 1.0);
    double duration = normalizeExposureDuration(value, CMTimeGetSeconds(device->minExposureDuration()),
                                                CMTimeGetSeconds(device->maxExposureDuration()));
    if (!device->lockForConfiguration()) return;
    const double minISO = device->minISO(), maxISO = device->maxISO();
    double iso = device->ISO();
    if (duration <= kLongestExposureSeconds) {
        if (boost_) {
            boost_ = false;
            iso = boostBaseISO_;  // back to the ISO the device had at the crossing
        }
    } else {
        if (!boost_) {
            boostBaseISO_ = device->ISO();
            boostBaseValue_ = value;
            boostMaximumISO_ = maxISO;
            boost_ = true;
        }
        // A crossing at the very top leaves no range to share out: straight to the maximum.
        iso = boostBaseValue_ >= 1 ? boostMaximumISO_
                                   : boostBaseISO_ + (value - boostBaseValue_) / (1 - boostBaseValue_) *
                                                         (boostMaximumISO_ - boostBaseISO_);
        if (iso < minISO) iso = boostBaseISO_;
        duration = kLongestExposureSeconds;
    }
    iso = std::clamp(iso, minISO, maxISO);
    device->setExposureModeCustomWithDurationAndISO(CMTimeMakeWithSeconds(duration, 1000000000),
                                                    static_cast<float>(iso), nullptr);
    device->unlockForConfiguration();
}

void CameraFocusController::handleFocusPan(UIPanGestureRecognizer& pan) {
    if (!focusViewController_ || !focusViewController_->isPointFocusViewActive()) return;
    const auto state = pan.state();
    if (state != UIGestureRecognizerState::Began && state != UIGestureRecognizerState::Changed) return;
    UIView* own = pan.view();
    const CGPoint t = pan.translationInView(own);
    const CGSize bounds = own ? own->bounds().size : view_.bounds().size;
    // Up on the screen as the user holds the phone is brighter.
    double delta = 0, extent = 0;
    switch (AppConstants::orientation()) {
    case 2: delta = t.y, extent = bounds.height; break;
    case 3: delta = t.x, extent = bounds.width; break;
    case 4: delta = -t.x, extent = bounds.width; break;
    default: delta = -t.y, extent = bounds.height; break;
    }
    const double step = panStep(delta, extent, view_.frameRate());
    if (exposureValue_ == 0 || reread_) {
        reread_ = false;
        exposureValue_ = currentExposureDuration();
        focusViewController_->setExposureViewMidpointValue(exposureValue_);
        focusViewController_->setExposureViewValue(exposureValue_);
    }
    exposureValue_ = std::clamp(exposureValue_ + step, 0.0, 1.0);
    focusViewController_->setExposureViewValue(exposureValue_);
    setExposureDuration(exposureValue_);
}

// ---- The unlock -----------------------------------------------------------------------------

void CameraFocusController::delayUnlockFocusAndExposureMode() {
    cancelUnlockFocusAndExposureMode();
    NSRunLoop::mainRunLoop().performAfterDelay(this, kUnlockKey, kUnlockAfterSeconds,
                                               [this] { unlockFocusAndExposureMode(); });
}

void CameraFocusController::cancelUnlockFocusAndExposureMode() {
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this, kUnlockKey);
}

void CameraFocusController::unlockFocusAndExposureMode() { unlock(false); }

void CameraFocusController::restoreFocusAndExposureToDefault() { unlock(true); }

void CameraFocusController::unlock(bool centre) {
    const AVCaptureDeviceRef device = currentDevice();
    if (!device) return;
    const bool focus = settlesContinuously(*device, true), exposure = settlesContinuously(*device, false);
    if (!focus && !exposure) return;
    device->lockForConfiguration();
    if (focus) {
        if (centre) device->setFocusPointOfInterest({0.5, 0.5});
        device->setFocusMode(kContinuous);
    }
    if (exposure) {
        if (centre) device->setExposurePointOfInterest({0.5, 0.5});
        device->setExposureMode(kContinuous);
    }
    device->unlockForConfiguration();
    boost_ = false;
}

// ---- Observers and waits --------------------------------------------------------------------

void CameraFocusController::addFocusObserver() {
    removeFocusObserver();
    focusDevice_ = currentDevice();
    if (!focusDevice_) return;
    focusObserver_ = focusDevice_->addObserver("adjustingFocus", [this](const std::string&) { focusChanged(); });
}

void CameraFocusController::removeFocusObserver() {
    if (focusDevice_) focusDevice_->removeObserver(focusObserver_);
    focusDevice_ = nullptr;
    focusObserver_ = 0;
}

void CameraFocusController::focusChanged() {
    const AVCaptureDeviceRef device = focusDevice_;  // an ended wait may move the observer
    const bool adjusting = device->isAdjustingFocus();
    if (pointWait_ && focusWait_ && !adjusting) {
        focusWait_ = false;
        if (!exposureWait_) endPointWait(true);
    }
    if (!focusViewController_ || device->focusMode() != kContinuous) return;
    // The device refocusing by itself shows the automatic square at the centre.
    if (adjusting && !focusViewController_->isAutoFocusViewActive()) {
        const CGRect b = view_.bounds();
        focusViewController_->presentAutoFocusView({CGRectGetMidX(b), CGRectGetMidY(b)});
    } else if (!adjusting && focusViewController_->isAutoFocusViewActive()) {
        focusViewController_->dismissFocusView();
    }
}

void CameraFocusController::exposureChanged() {
    if (!exposureWait_ || exposureDevice_->isAdjustingExposure()) return;
    stopObservingExposure();
    if (pointWait_ && !focusWait_) endPointWait(true);
}

void CameraFocusController::stopObservingExposure() {
    exposureWait_ = false;
    if (exposureDevice_) exposureDevice_->removeObserver(exposureObserver_);
    exposureObserver_ = 0;
    exposureDevice_ = nullptr;
}

void CameraFocusController::waitForPendingFocusAndExposure(BoolBlock block) {
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this);
    cancelWaitForPendingFocusAndExposure();
    focusWait_ = false;
    pointWait_ = true;
    pendingBlock_ = std::move(block);
    const AVCaptureDeviceRef device = currentDevice();
    if (device) {
        // Only what is still moving is waited for.
        if (settlesContinuously(*device, true) && device->isAdjustingFocus()) focusWait_ = true;
        if (settlesContinuously(*device, false) && device->isAdjustingExposure()) {
            exposureWait_ = true;
            exposureDevice_ = device;
            exposureObserver_ =
                device->addObserver("adjustingExposure", [this](const std::string&) { exposureChanged(); });
        }
    }
    if (!focusWait_ && !exposureWait_) return endPointWait(true);
    // Whatever it waits for, the wait ends: a kept shutter must not wait for ever.
    NSRunLoop::mainRunLoop().performAfterDelay(this, kGiveUpKey, kPointWaitGiveUpSeconds,
                                               [this] { giveUpPointWait(); });
}

void CameraFocusController::giveUpPointWait() {
    if (!pointWait_) return;
    stopObservingExposure();
    focusWait_ = false;
    endPointWait(false);
}

void CameraFocusController::endPointWait(bool finished) {
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this, kGiveUpKey);
    pointWait_ = false;
    if (const BoolBlock pending = std::exchange(pendingBlock_, nullptr)) pending(finished);
    releaseQueuedShutter(true);
}

void CameraFocusController::releaseQueuedShutter(bool finished) {
    if (const BoolBlock shutter = std::exchange(queuedShutter_, nullptr)) shutter(finished);
}

void CameraFocusController::queueShutter(BoolBlock block) {
    if (!pointWait_) {
        if (block) block(true);
        return;
    }
    releaseQueuedShutter(false);  // one shutter at a time: an earlier one is answered
    queuedShutter_ = std::move(block);
}

void CameraFocusController::cancelWaitForPendingFocusAndExposure() {
    if (!pointWait_) return;
    NSRunLoop::mainRunLoop().cancelPreviousPerformRequests(this, kGiveUpKey);
    stopObservingExposure();
    focusWait_ = false;
    pointWait_ = false;
    if (const BoolBlock pending = std::exchange(pendingBlock_, nullptr)) pending(false);
}
