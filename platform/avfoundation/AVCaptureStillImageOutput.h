#pragma once
// The still-image output: one frame on request, answered on the main queue, and as a JPEG
// through image I/O when asked.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVCaptureOutput.h"
#include "platform/foundation/NSError.h"

namespace platform {

inline const std::string AVFoundationErrorDomain = "AVFoundationErrorDomain";
// Why a still could not be taken (the codes of the AVFoundation error domain).
enum : long {
    AVErrorSessionNotRunning = -11803,
    AVErrorNoDataCaptured = -11805,
    AVErrorDeviceWasDisconnected = -11808,
    AVErrorDeviceNotConnected = -11814,
};

class AVCaptureStillImageOutput : public AVCaptureOutput {
public:
    // The still, or null and the error saying why none could be taken.
    using Handler = std::function<void(const CMSampleBufferRef& buffer, const NSErrorPtr& error)>;
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
    // `kFirstFrameWait`; a stopped session, a missing camera, a camera that stopped of its
    // own accord (never its last frame, as if it were new) or no frame in that time answers
    // an error and no buffer.
    void captureStillImageAsynchronouslyFromConnection(const AVCaptureConnectionRef& connection, Handler handler);
    // "The photo could not be taken." with the reason for the code (one of the AVError codes
    // above) as its failure reason; `cause` is why a camera stopped (its failure reason).
    static NSErrorPtr stillImageError(long code, const std::string& cause = {});
    // A JPEG of the still with its attachments as metadata; empty on failure.
    static std::vector<uint8_t> jpegStillImageNSDataRepresentation(const CMSampleBufferRef& buffer);

private:
    void answerAtDate(double date, double giveUp, double crop, Handler handler);

    int pending_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform
