// The controller's still captures: the still connection prepared for the device's
// orientation and the zoom, and one BGRA still turned upright for the caller.
#include <algorithm>
#include <cmath>

#include "camera/capture/VideoController.h"
#include "model/DeviceUtility.h"
#include "platform/avfoundation/AVCaptureStillImageOutput.h"

using namespace platform;

AVCaptureConnectionRef VideoController::configureStillImageCaptureConnection(int64_t orientation, double factor) {
    if (!useStillImageCaptureOutput()) return nullptr;
    const AVCaptureConnectionRef& connection = stillImageCaptureVideoConnection();
    if (!connection) return nullptr;
    // Unknown, face up and face down say nothing about how the picture stands.
    if (orientation < 1 || orientation > 4) orientation = AppConstants::orientation();
    connection->setVideoOrientation(orientation);
    const double clamped = std::isfinite(factor) ? std::clamp(factor, 1.0, connection->videoMaxScaleAndCropFactor()) : 1.0;
    connection->setVideoScaleAndCropFactor(clamped);
    return connection;
}

void VideoController::captureStillImage(StillImageCaptureBlock completion, int64_t orientation,
                                        double scaleAndCropFactor) {
    if (!completion) return;
    const AVCaptureConnectionRef connection = configureStillImageCaptureConnection(orientation, scaleAndCropFactor);
    if (!connection || !stillImageOutput_) {
        // Nothing to capture with: the caller still hears back, so its shutter is freed.
        completion(std::make_unique<StillImageCapture>());
        return;
    }
    stillImageOutput_->setPixelFormatType(kCVPixelFormatType_32BGRA);
    stillImageOutput_->captureStillImageAsynchronouslyFromConnection(
        connection, [completion](const CMSampleBufferRef& buffer, const std::string& error) {
            if (!error.empty() || !buffer) completion(std::make_unique<StillImageCapture>());
            else completion(std::make_unique<StillImageCapture>(buffer));
        });
}
