#include "platform/avfoundation/AVCaptureOutput.h"

#include "platform/avfoundation/AVCaptureSession.h"

namespace platform {

AVCaptureOutput::AVCaptureOutput(AVMediaType mediaType)
    : mediaType_(std::move(mediaType)), connection_(std::make_shared<AVCaptureConnection>(this)) {}

std::vector<AVCaptureConnectionRef> AVCaptureOutput::connections() const {
    if (!session_ || !session_->inputWithMediaType(mediaType_)) return {};
    return {connection_};
}

AVCaptureConnectionRef AVCaptureOutput::connectionWithMediaType(const AVMediaType& type) const {
    return type == mediaType_ && !connections().empty() ? connection_ : nullptr;
}

}  // namespace platform
