// The controller's still captures: the still connection prepared for the device's
// orientation and the zoom; one BGRA still turned upright for the caller, one JPEG still as
// the camera encodes it, and a JPEG still saved straight to the album.
#include <algorithm>
#include <cmath>

#include "camera/capture/VideoController.h"
#include "model/DeviceUtility.h"
#include "platform/avfoundation/AVCaptureStillImageOutput.h"
#include "platform/photos/ALAssetsLibrary.h"

using namespace platform;

AVCaptureConnectionRef VideoController::configureStillImageCaptureConnection(int64_t orientation, double factor) {
    if (!useStillImageCaptureOutput()) return nullptr;
    const AVCaptureConnectionRef& connection = stillImageCaptureVideoConnection();
    if (!connection) return nullptr;
    // Unknown, face up and face down say nothing about how the picture stands.
    if (orientation < 1 || orientation > 4) orientation = AppConstants::orientation();
    connection->setVideoOrientation(orientation);
    const double clamped =
        std::isfinite(factor) ? std::clamp(factor, 1.0, connection->videoMaxScaleAndCropFactor()) : 1.0;
    connection->setVideoScaleAndCropFactor(clamped);
    return connection;
}

namespace {

// The still's buffer, or null and the error saying why none came.
using StillBufferBlock = std::function<void(const CMSampleBufferRef& buffer, const NSErrorPtr& error)>;

// Every started capture answers once; nothing to capture with answers at once, so the
// caller's shutter is freed and can say why.
void captureStill(VideoController& controller, const std::shared_ptr<AVCaptureStillImageOutput>& output,
                  int64_t orientation, double factor, bool bgra, const StillBufferBlock& block) {
    const AVCaptureConnectionRef connection = controller.configureStillImageCaptureConnection(orientation, factor);
    if (!connection || !output)
        return block(nullptr, AVCaptureStillImageOutput::stillImageError(AVErrorDeviceNotConnected));
    if (bgra) output->setPixelFormatType(kCVPixelFormatType_32BGRA);
    output->captureStillImageAsynchronouslyFromConnection(
        connection,
        [block](const CMSampleBufferRef& buffer, const NSErrorPtr& error) { block(error ? nullptr : buffer, error); });
}

}  // namespace

void VideoController::captureStillImage(StillImageCaptureBlock completion, int64_t orientation,
                                        double scaleAndCropFactor) {
    if (!completion) return;
    captureStill(*this, stillImageOutput_, orientation, scaleAndCropFactor, true,
                 [completion](const CMSampleBufferRef& buffer, const NSErrorPtr& error) {
                     auto capture = std::make_unique<StillImageCapture>(buffer);
                     capture->setError(error);
                     completion(std::move(capture));
                 });
}

void VideoController::captureStillImageJPEG(StillImageCaptureBlock completion, int64_t orientation,
                                            double scaleAndCropFactor) {
    if (!completion) return;
    captureStill(*this, stillImageOutput_, orientation, scaleAndCropFactor, false,
                 [completion](const CMSampleBufferRef& buffer, const NSErrorPtr& error) {
                     auto capture = StillImageCapture::withJPEGSampleBuffer(buffer);
                     capture->setError(error);
                     completion(std::move(capture));
                 });
}

void VideoController::captureAndSaveStillImage(int64_t orientation, double scaleAndCropFactor,
                                               std::function<void(bool saved)> saved) {
    captureStill(*this, stillImageOutput_, orientation, scaleAndCropFactor, false,
                 [saved](const CMSampleBufferRef& buffer, const NSErrorPtr&) {
                     std::vector<uint8_t> jpeg =
                         buffer ? AVCaptureStillImageOutput::jpegStillImageNSDataRepresentation(buffer)
                                : std::vector<uint8_t>{};
                     if (jpeg.empty()) {
                         if (saved) saved(false);
                         return;
                     }
                     ALAssetsLibrary().writeImageDataToSavedPhotosAlbum(
                         std::move(jpeg), StillImageCapture::metadataOfSampleBuffer(buffer).value_or(ImageProperties{}),
                         [saved](const std::string&, NSErrorPtr error) {
                             if (saved) saved(!error);
                         });
                 });
}
