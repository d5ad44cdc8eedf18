#pragma once
// A connection of a capture session: joins an output to the session's input of the output's
// kind, with the scale-and-crop factor that stills are taken with.
#include <memory>
#include <vector>

#include "platform/avfoundation/AVCaptureDevice.h"

namespace platform {

class AVCaptureOutput;

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
    // 1 portrait, 2 upside down, 3 landscape right, 4 landscape left.
    int64_t videoOrientation() const { return videoOrientation_; }
    void setVideoOrientation(int64_t orientation) { videoOrientation_ = orientation; }

private:
    AVCaptureOutput* output_;
    bool enabled_ = true;
    double scaleAndCrop_ = 1;
    int64_t videoOrientation_ = 1;
};

using AVCaptureConnectionRef = std::shared_ptr<AVCaptureConnection>;

}  // namespace platform
