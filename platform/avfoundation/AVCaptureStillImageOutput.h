#pragma once
// The still-image output: one frame on request, answered on the main queue, and as a JPEG
// through image I/O when asked.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVCaptureOutput.h"

namespace platform {

class AVCaptureStillImageOutput : public AVCaptureOutput {
public:
    // The still (null when none could be taken) and an error message (empty on success).
    using Handler = std::function<void(const CMSampleBufferRef& buffer, const std::string& error)>;
    static constexpr double kLatency = 0.1;
    // How long a capture waits for a camera that has no frame yet (just started or reopened,
    // or slow on a busy machine) before it answers that no picture could be taken.
    static constexpr double kFirstFrameWait = 5.0;

    AVCaptureStillImageOutput() : AVCaptureOutput(AVMediaTypeVideo) {}
    bool setPixelFormatType(OSType format);
    bool isCapturingStillImage() const { return pending_ > 0; }
    // Answers on the main queue `kLatency` later with the next frame of the connection's
    // camera at its sensor size, centre-cropped by the connection's scale-and-crop factor,
    // looking again every `kLatency` while the camera has no frame yet, up to
    // `kFirstFrameWait`; a stopped session, a missing camera or no frame in that time answers
    // an error and no buffer.
    void captureStillImageAsynchronouslyFromConnection(const AVCaptureConnectionRef& connection, Handler handler);
    // A JPEG of the still with its attachments as metadata; empty on failure.
    static std::vector<uint8_t> jpegStillImageNSDataRepresentation(const CMSampleBufferRef& buffer);

private:
    void answerAtDate(double date, double giveUp, double crop, Handler handler);

    int pending_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform
