#pragma once
// The engine's frame source for a real-time recorder: the recording target drawn two frames
// before the newest, and that frame's time. Made at every start of a recording and detached at
// its finish, so a recorder that keeps it afterwards reads nothing rather than a dead engine.
#include "engine/VideoRecorder.h"

class AmbrelGraphicsController;

class QVFramebufferFrame : public VideoFrameSource {
public:
    explicit QVFramebufferFrame(AmbrelGraphicsController* engine) : engine_(engine) {}
    bool sample(uint8_t* pixels, uint64_t bytesPerRow) override;
    bool sampleTime(sFrameTime* time) override;
    sFrameTime startTime() override;
    void detach() { engine_ = nullptr; }

private:
    AmbrelGraphicsController* engine_;
};
