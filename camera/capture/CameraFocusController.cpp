#include "camera/capture/CameraFocusController.h"

#include <algorithm>
#include <cmath>

#include "camera/capture/VideoController.h"
#include "engine/view/GraphicsView.h"

using namespace platform;

CameraFocusController::~CameraFocusController() {
    if (tap_) view_.removeGestureRecognizer(tap_.get());
}

void CameraFocusController::enableFocus() {
    if (tap_) return;
    tap_ = std::make_shared<UITapGestureRecognizer>();
    tap_->addTarget(this, [this](UIGestureRecognizer& tap) {
        VideoController& controller = view_.videoController();
        focusAndExposureAtPoint(controller.cameraWithPosition(controller.videoDevicePosition()),
                                viewPointToDevicePointOfInterest(tap.locationInView(&view_)), true);
    });
    view_.addGestureRecognizer(tap_);
}

void CameraFocusController::disableFocus() {
    if (!tap_) return;
    view_.removeGestureRecognizer(tap_.get());
    tap_ = nullptr;
}

CGPoint CameraFocusController::viewPointToDevicePointOfInterest(CGPoint point) const {
    const CGSize size = view_.frame().size;
    const CGSize image = view_.currentImageSize();
    const CGSize display = view_.currentDisplayFrame().size;
    const double zoom = view_.cameraZoomScale();
    double x = point.x, y = point.y;
    if (view_.videoController().isFrontFacing()) x = size.width - x;  // the preview is mirrored
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
    const int64_t mode = lock ? 1 : 2;
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
