#pragma once
// The video data output: every frame, as BGRA.
#include "platform/avfoundation/AVCaptureDataOutput.h"

namespace platform {

class AVCaptureVideoDataOutput : public AVCaptureDataOutput {
public:
    AVCaptureVideoDataOutput() : AVCaptureDataOutput(AVMediaTypeVideo) {}
    bool alwaysDiscardsLateVideoFrames() const { return discardsLate_; }
    void setAlwaysDiscardsLateVideoFrames(bool discard) { discardsLate_ = discard; }
    // Only 32BGRA is produced; another format is refused (false).
    bool setPixelFormatType(OSType format) { return format == kCVPixelFormatType_32BGRA; }
    OSType pixelFormatType() const { return kCVPixelFormatType_32BGRA; }

private:
    bool discardsLate_ = true;
};

}  // namespace platform
