#pragma once
// A capture session: inputs (device inputs) joined to outputs (data and still outputs), a
// preset that chooses the frame size, and a running state. Changes made between
// beginConfiguration and the outermost commitConfiguration are applied together at that
// commit (a running session then restarts what changed); outside a configuration each change
// applies at once. Frames come synchronously on the main thread. Main thread only.
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVCaptureDeviceInput.h"
#include "platform/avfoundation/AVCaptureAudioDataOutput.h"
#include "platform/avfoundation/AVCaptureOutput.h"
#include "platform/avfoundation/AVCaptureStillImageOutput.h"
#include "platform/avfoundation/AVCaptureVideoDataOutput.h"

namespace platform {

using AVCaptureSessionPreset = std::string;
inline const AVCaptureSessionPreset AVCaptureSessionPresetPhoto = "AVCaptureSessionPresetPhoto";
inline const AVCaptureSessionPreset AVCaptureSessionPresetHigh = "AVCaptureSessionPresetHigh";
inline const AVCaptureSessionPreset AVCaptureSessionPreset640x480 = "AVCaptureSessionPreset640x480";
inline const AVCaptureSessionPreset AVCaptureSessionPreset1920x1080 = "AVCaptureSessionPreset1920x1080";

class AVCaptureSession : public std::enable_shared_from_this<AVCaptureSession> {
public:
    AVCaptureSession() = default;
    ~AVCaptureSession();
    AVCaptureSession(const AVCaptureSession&) = delete;
    AVCaptureSession& operator=(const AVCaptureSession&) = delete;

    // The frame size of a preset on a sensor: Photo 1280 × 960, High 1920 × 1080, and the
    // named sizes, each made smaller (keeping its shape) to fit a smaller sensor; zero for an
    // unknown preset.
    static CMVideoDimensions videoDimensionsForPreset(const AVCaptureSessionPreset& preset, CMVideoDimensions sensor);

    const AVCaptureSessionPreset& sessionPreset() const { return preset_; }
    bool canSetSessionPreset(const AVCaptureSessionPreset& preset) const;
    void setSessionPreset(const AVCaptureSessionPreset& preset);

    void beginConfiguration() { ++configurationDepth_; }
    void commitConfiguration();
    bool isConfiguring() const { return configurationDepth_ > 0; }

    const std::vector<AVCaptureDeviceInputRef>& inputs() const { return inputs_; }
    const std::vector<AVCaptureOutputRef>& outputs() const { return outputs_; }
    bool canAddInput(const AVCaptureDeviceInputRef& input) const;
    void addInput(const AVCaptureDeviceInputRef& input);
    void removeInput(const AVCaptureDeviceInputRef& input);
    bool canAddOutput(const AVCaptureOutputRef& output) const;
    void addOutput(const AVCaptureOutputRef& output);
    void removeOutput(const AVCaptureOutputRef& output);
    // The session's input of that kind (null when none).
    AVCaptureDeviceInputRef inputWithMediaType(const AVMediaType& type) const;

    void startRunning();
    void stopRunning();
    bool isRunning() const { return running_; }

    // Sizes and rates applied to the running sources (for tests and the still output).
    CMVideoDimensions activeVideoDimensions() const { return activeSize_; }

private:
    void changed();
    void apply();
    void deliver(const AVMediaType& type, const CMSampleBufferRef& buffer);

    AVCaptureSessionPreset preset_ = AVCaptureSessionPresetHigh;
    int configurationDepth_ = 0;
    bool pending_ = false;
    bool running_ = false;
    std::vector<AVCaptureDeviceInputRef> inputs_;
    std::vector<AVCaptureOutputRef> outputs_;
    // What runs now: the sources and the settings they were started with.
    AVCaptureDeviceRef activeCamera_, activeMicrophone_;
    CMVideoDimensions activeSize_{};
    AVCaptureSessionPreset activePreset_;
    CMTime activeDuration_ = kCMTimeInvalid;
};

using AVCaptureSessionRef = std::shared_ptr<AVCaptureSession>;

}  // namespace platform
