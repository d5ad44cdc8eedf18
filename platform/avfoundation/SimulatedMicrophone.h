#pragma once
// The simulated microphone of the capture rig.
#include <cstdint>
#include <memory>

#include "platform/avfoundation/CaptureSource.h"
#include "platform/foundation/NSRunLoop.h"

namespace platform {

// A microphone on the run-loop clock: 1024-frame buffers of a 440 Hz sine, 44.1 kHz mono, each
// stamped with the clock's time of its first sample.
class SimulatedMicrophone : public CaptureSource {
public:
    static constexpr double kSampleRate = 44100;
    static constexpr int kFramesPerBuffer = 1024;
    ~SimulatedMicrophone() override { stop(); }
    void start(const CaptureRequest&, Handler handler) override;
    void stop() override;
    bool isRunning() const override { return timer_ != nullptr; }

private:
    Handler handler_;
    std::shared_ptr<NSTimer> timer_;
    int64_t firstFrame_ = 0;  // the clock at the start, in samples
    int64_t framesOut_ = 0;
};

}  // namespace platform
