#pragma once
// An output of a capture session (the session feeds it), and the receiver of data outputs'
// buffers.
#include <memory>
#include <vector>

#include "platform/avfoundation/AVCaptureConnection.h"
#include "platform/coremedia/CMSampleBuffer.h"

namespace platform {

class AVCaptureSession;

// The receiver of data outputs' buffers (video and audio alike).
class AVCaptureSampleBufferDelegate {
public:
    virtual ~AVCaptureSampleBufferDelegate() = default;
    // The buffer is valid during the call; keep the reference to hold it longer.
    virtual void captureOutputDidOutputSampleBuffer(AVCaptureOutput& output, const CMSampleBufferRef& sampleBuffer,
                                                    AVCaptureConnection& connection) = 0;
};

class AVCaptureOutput {
public:
    explicit AVCaptureOutput(AVMediaType mediaType);
    virtual ~AVCaptureOutput() = default;
    const AVMediaType& mediaType() const { return mediaType_; }
    // One connection while in a session with an input of the output's kind, else none.
    std::vector<AVCaptureConnectionRef> connections() const;
    AVCaptureConnectionRef connectionWithMediaType(const AVMediaType& type) const;

    // ---- Session's side ----------------------------------------------------------------
    void setSession(AVCaptureSession* session) { session_ = session; }
    AVCaptureSession* session() const { return session_; }
    virtual void deliver(const CMSampleBufferRef& buffer) {}

protected:
    AVMediaType mediaType_;
    AVCaptureSession* session_ = nullptr;
    AVCaptureConnectionRef connection_;
};

using AVCaptureOutputRef = std::shared_ptr<AVCaptureOutput>;

using AVCaptureOutputRef = std::shared_ptr<AVCaptureOutput>;

}  // namespace platform
