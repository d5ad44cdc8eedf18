#include "platform/avfoundation/AVCaptureConnection.h"

#include <algorithm>
#include <cmath>

#include "platform/avfoundation/AVCaptureSession.h"

namespace platform {

std::vector<AVCaptureInputPort> AVCaptureConnection::inputPorts() const {
    AVCaptureSession* session = output_->session();
    if (!session || !session->inputWithMediaType(output_->mediaType())) return {};
    return {AVCaptureInputPort{output_->mediaType()}};
}

void AVCaptureConnection::setVideoScaleAndCropFactor(double factor) {
    if (std::isfinite(factor)) scaleAndCrop_ = std::clamp(factor, 1.0, videoMaxScaleAndCropFactor());
}

}  // namespace platform
