#pragma once
// What stands behind a capture device: something that makes frames (a simulated camera or
// microphone) at a size and rate, delivered on the main thread, and renders or takes the
// frame a still picture is made of. The session starts and stops it; the device tells it of
// a new frame duration. A source can end of its own accord (a stream that ends, a device
// unplugged or failing): it then says why, is no longer running, and makes no still.
#include <functional>
#include <string>

#include "platform/coremedia/CMSampleBuffer.h"

namespace platform {

class AVCaptureDevice;

// What the session asks of a camera: the preset, the frame size it gives on this camera, and
// the frame duration (audio sources take none of them).
struct CaptureRequest {
    std::string preset;
    CMVideoDimensions size{};
    CMTime frameDuration = kCMTimeInvalid;
};

class CaptureSource {
public:
    using Handler = std::function<void(const CMSampleBufferRef&)>;
    virtual ~CaptureSource() = default;
    // Starts, or restarts with new settings, each frame handed to `handler` on the main thread.
    virtual void start(const CaptureRequest& request, Handler handler) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    // Why the source stopped giving frames of its own accord, in a few lower-case words ("no
    // such device"); empty while it gives them, after a stop and once started again.
    virtual std::string failureReason() const { return {}; }
    virtual void setFrameDuration(CMTime frameDuration) {}
    // The full sensor size (stills are taken at it); zero for audio.
    virtual CMVideoDimensions sensorSize() const { return {}; }
    // A still: the next frame at sensor size, the centre 1/`cropFactor` of the scene scaled
    // back to the full size, with its attachments; null when the source cannot make one.
    virtual CMSampleBufferRef stillFrame(double cropFactor) { return nullptr; }
    // The device's settings changed (told when its configuration is unlocked).
    virtual void controlsChanged(const AVCaptureDevice& device) {}

protected:
    // A still's attachments: Orientation, Exif exposure, ISO, flash, dimensions and zoom, and
    // the camera that took it as the TIFF Model (`model`; none when empty).
    static ImageProperties stillAttachments(const AVCaptureDevice* device, int orientation, CMVideoDimensions size,
                                            double cropFactor, const std::string& model);
};

}  // namespace platform
