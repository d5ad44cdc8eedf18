#include "platform/avfoundation/SimulatedMicrophone.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace platform {

void SimulatedMicrophone::start(const CaptureRequest&, Handler handler) {
    handler_ = std::move(handler);
    if (timer_) return;
    // Sound is stamped on the clock that stamps the camera's frames, so a movie can put the two
    // together; the samples themselves stay contiguous from here on.
    firstFrame_ = std::llround(NSRunLoop::mainRunLoop().now() * kSampleRate);
    framesOut_ = 0;
    timer_ = NSTimer::scheduledTimerWithTimeInterval(kFramesPerBuffer / kSampleRate, true, [this](NSTimer&) {
        std::vector<int16_t> samples(kFramesPerBuffer);
        for (int i = 0; i < kFramesPerBuffer; ++i) {
            const double t = static_cast<double>(framesOut_ + i) / kSampleRate;
            samples[static_cast<size_t>(i)] =
                static_cast<int16_t>(std::lround(8000.0 * std::sin(2 * std::numbers::pi * 440.0 * t)));
        }
        const CMTime time = CMTimeMake(firstFrame_ + framesOut_, static_cast<CMTimeScale>(kSampleRate));
        framesOut_ += kFramesPerBuffer;
        if (auto buffer = CMSampleBuffer::audioPCM(std::move(samples), 1, kSampleRate, time); buffer && handler_) {
            const Handler handler = handler_;
            handler(buffer);
        }
    });
}

void SimulatedMicrophone::stop() {
    if (timer_) timer_->invalidate();
    timer_ = nullptr;
    handler_ = nullptr;
}

}  // namespace platform
