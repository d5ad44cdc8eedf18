#pragma once
// What stands behind a capture device: something that makes frames (a simulated camera or
// microphone) at a size and rate, delivered on the main thread, and renders or takes the
// frame a still picture is made of. The session starts and stops it; the device tells it of
// a new frame duration.
#include <functional>

#include "platform/coremedia/CMSampleBuffer.h"

namespace platform {

class CaptureSource {
public:
    using Handler = std::function<void(const CMSampleBufferRef&)>;
    virtual ~CaptureSource() = default;
    // Starts, or restarts with new settings: frames of `size` (video) every `frameDuration`,
    // each handed to `handler` on the main thread.
    virtual void start(CMVideoDimensions size, CMTime frameDuration, Handler handler) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    virtual void setFrameDuration(CMTime frameDuration) {}
    // The full sensor size (stills are taken at it); zero for audio.
    virtual CMVideoDimensions sensorSize() const { return {}; }
    // A still: the next frame at sensor size, the centre 1/`cropFactor` of the scene scaled
    // back to the full size, with its attachments; null when the source cannot make one.
    virtual CMSampleBufferRef stillFrame(double cropFactor) { return nullptr; }
};

}  // namespace platform
