#pragma once
// What the engine needs of the movie recorder that it feeds with rendered frames, and of the
// frame source the recorder pulls them through. The engine core knows no camera code: the
// camera's movie library registers a factory here (the graphics view installs it); without
// one, a recording cannot begin. Tests register recorders of their own.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/EngineRecords.h"

// An audio sample buffer as the capture delivers it; the engine only passes it on.
using AudioSampleRef = std::shared_ptr<const void>;

// Where a recorder pulls the engine's finished frames from (QVFramebufferFrame is the engine's).
class VideoFrameSource {
public:
    virtual ~VideoFrameSource() = default;
    // Writes the frame due for the recorder as BGRA rows of `bytesPerRow`, bottom row first;
    // false when there is none or it does not fit.
    virtual bool sample(uint8_t* pixels, uint64_t bytesPerRow) = 0;
    // That frame's time; false when there is none.
    virtual bool sampleTime(sFrameTime* time) = 0;
    // The time the recording began (value -1 before it is known).
    virtual sFrameTime startTime() = 0;
};

class VideoRecorder {
public:
    using Factory = std::function<std::unique_ptr<VideoRecorder>()>;

    virtual ~VideoRecorder() = default;
    // The movie's preferred pixel size (zero: the size of the frames).
    virtual void setPreferredOutputSize(double width, double height) = 0;
    // Starts a movie of width × height frames pulled from `frameSource`; false when it cannot.
    virtual bool start(int32_t width, int32_t height, std::shared_ptr<VideoFrameSource> frameSource, bool audio) = 0;
    virtual bool started() const = 0;
    // Finishes the movie before it returns.
    virtual void stop() = 0;
    // The finished movie's file, empty when it failed or held no frame.
    virtual std::string filename() const = 0;
    // Called once per rendered frame while recording; the recorder pulls the frame from its
    // frame source when its writer is ready, else drops it.
    virtual void recordFrame() = 0;
    // Appends audio not earlier than the recording start.
    virtual void recordAudio(const AudioSampleRef& sampleBuffer) = 0;

    // The recorder every engine makes from now on (an empty factory: none).
    static void SetFactory(Factory factory);
    static std::unique_ptr<VideoRecorder> Create();
};
