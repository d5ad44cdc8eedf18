#pragma once
// A real camera through libavdevice: a V4L2 node ("video4linux2") or a filter graph ("lavfi").
// A reader thread opens the input, decodes, converts with libswscale into pooled BGRA sensor
// frames (the upright picture turned by the mount orientation; full-range YUV, as a JPEG's,
// with its range said to the scaler; a picture unchanged since the last frame, as a graph
// showing a photo gives, not scaled again) and passes them to the main queue through a
// one-slot mailbox, so a slow consumer sees the newest frame, never a queue. An input that
// states its frames' size and format when opened is not read ahead.
// A new preset, size or frame rate reopens the input (Photo: the node's largest 4:3 size).
// Stills are the next frame, cropped in software. An input that ends or fails (a graph's
// stream that ends, a webcam unplugged) stops the camera with its reason, and its last frame
// makes no still; the next start opens it again.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/avfoundation/CaptureSource.h"
#include "platform/avfoundation/V4L2Controls.h"

namespace platform {

class LibavCamera : public CaptureSource {
public:
    struct Probe {
        bool ok = false;
        bool accessDenied = false;  // EACCES or EPERM
        std::string error;
        CMVideoDimensions size{};              // what the input gives unasked
        std::vector<CMVideoDimensions> sizes;  // a V4L2 node's discrete sizes
        std::string card;                      // a V4L2 node's camera name, its stills' Model
    };
    // Opens the input once to learn its size ("video4linux2" or "lavfi").
    static Probe probe(const std::string& format, const std::string& url);
    // The capture size for a preset among a node's sizes: Photo the largest 4:3 one, a named
    // size when offered, else the largest; `fallback` without a list.
    static CMVideoDimensions captureSizeForPreset(const std::string& preset,
                                                  const std::vector<CMVideoDimensions>& sizes,
                                                  CMVideoDimensions fallback);

    LibavCamera(std::string format, std::string url, int64_t position, Probe probe, V4L2ControlSet controls);
    ~LibavCamera() override;

    void start(const CaptureRequest& request, Handler handler) override;
    void stop() override;
    bool isRunning() const override { return running_ && failure_.empty(); }
    std::string failureReason() const override { return failure_; }
    void setFrameDuration(CMTime frameDuration) override;
    CMVideoDimensions sensorSize() const override;
    CMSampleBufferRef stillFrame(double cropFactor) override;
    void controlsChanged(const AVCaptureDevice& device) override;
    void attach(const std::shared_ptr<AVCaptureDevice>& device) { device_ = device; }

    struct Mailbox;

private:
    void open();
    void close();

    std::string format_, url_;
    int64_t position_;
    Probe probe_;
    V4L2ControlSet controls_;
    std::weak_ptr<AVCaptureDevice> device_;
    CaptureRequest request_;
    bool running_ = false;
    std::shared_ptr<Mailbox> mailbox_;
    std::thread reader_;
    CMSampleBufferRef last_;
    std::string failure_;
};

}  // namespace platform
