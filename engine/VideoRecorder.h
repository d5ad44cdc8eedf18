#pragma once
// What the engine needs of the movie recorder that it feeds with rendered frames. The camera
// subsystem provides the real recorder; tests record the calls.

#include <cstdint>
#include <memory>
#include <string>

// An audio sample buffer as the capture delivers it; the engine only passes it on.
using AudioSampleRef = std::shared_ptr<const void>;

class QVRealTimeVideoRecorder {
public:
    virtual ~QVRealTimeVideoRecorder() = default;
    // Called once per rendered frame while recording; the recorder pulls the frame from its
    // frame source when its writer is ready, else drops it.
    virtual void recordFrame() = 0;
    // Appends audio not earlier than the recording start.
    virtual void recordAudio(const AudioSampleRef& sampleBuffer) = 0;
};
