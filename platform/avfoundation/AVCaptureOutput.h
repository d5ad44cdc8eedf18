#pragma once
// Outputs of a capture session and the connections that join them to its inputs: a video
// data output (every frame, as BGRA, to a delegate on a queue), an audio data output (PCM
// buffers, the same way) and a still-image output (one frame on request, answered on the main
// queue, as a JPEG through image I/O when asked). The session feeds them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/coremedia/CMSampleBuffer.h"
#include "platform/foundation/Dispatch.h"

namespace platform {

class AVCaptureOutput;
class AVCaptureSession;

struct AVCaptureInputPort {
    AVMediaType mediaType;
};

class AVCaptureConnection {
public:
    explicit AVCaptureConnection(AVCaptureOutput* output) : output_(output) {}
    // The session's current input of the output's kind (empty while there is none).
    std::vector<AVCaptureInputPort> inputPorts() const;
    AVCaptureOutput* output() const { return output_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    double videoScaleAndCropFactor() const { return scaleAndCrop_; }
    // Clamped to 1 … videoMaxScaleAndCropFactor.
    void setVideoScaleAndCropFactor(double factor);
    double videoMaxScaleAndCropFactor() const { return 5; }

private:
    AVCaptureOutput* output_;
    bool enabled_ = true;
    double scaleAndCrop_ = 1;
};

using AVCaptureConnectionRef = std::shared_ptr<AVCaptureConnection>;

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

// Shared by the video and audio data outputs: the delegate on its queue.
class AVCaptureDataOutput : public AVCaptureOutput {
public:
    using AVCaptureOutput::AVCaptureOutput;
    // Not retained. On the main queue (from the main thread) each buffer is handed over at
    // once; on another queue asynchronously, the buffer kept alive until then.
    void setSampleBufferDelegate(AVCaptureSampleBufferDelegate* delegate, dispatch_queue_t queue);
    AVCaptureSampleBufferDelegate* sampleBufferDelegate() const { return delegate_; }
    void deliver(const CMSampleBufferRef& buffer) override;

private:
    AVCaptureSampleBufferDelegate* delegate_ = nullptr;
    dispatch_queue_t queue_;
};

class AVCaptureVideoDataOutput : public AVCaptureDataOutput {
public:
    AVCaptureVideoDataOutput() : AVCaptureDataOutput(AVMediaTypeVideo) {}
    bool alwaysDiscardsLateVideoFrames() const { return discardsLate_; }
    void setAlwaysDiscardsLateVideoFrames(bool discard) { discardsLate_ = discard; }
    // Only 32BGRA is produced; another format is refused (false).
    bool setPixelFormatType(OSType format);
    OSType pixelFormatType() const { return kCVPixelFormatType_32BGRA; }

private:
    bool discardsLate_ = true;
};

class AVCaptureAudioDataOutput : public AVCaptureDataOutput {
public:
    AVCaptureAudioDataOutput() : AVCaptureDataOutput(AVMediaTypeAudio) {}
};

class AVCaptureStillImageOutput : public AVCaptureOutput {
public:
    // The still (null when none could be taken) and an error message (empty on success).
    using Handler = std::function<void(const CMSampleBufferRef& buffer, const std::string& error)>;
    static constexpr double kLatency = 0.1;

    AVCaptureStillImageOutput() : AVCaptureOutput(AVMediaTypeVideo) {}
    bool setPixelFormatType(OSType format);
    bool isCapturingStillImage() const { return pending_ > 0; }
    // Answers on the main queue `kLatency` later with the next frame of the connection's
    // camera at its sensor size, centre-cropped by the connection's scale-and-crop factor;
    // a stopped session or a missing camera answers an error and no buffer.
    void captureStillImageAsynchronouslyFromConnection(const AVCaptureConnectionRef& connection, Handler handler);
    // A JPEG of the still with its attachments as metadata; empty on failure.
    static std::vector<uint8_t> jpegStillImageNSDataRepresentation(const CMSampleBufferRef& buffer);

private:
    int pending_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform
