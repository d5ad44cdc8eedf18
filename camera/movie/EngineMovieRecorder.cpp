#include "camera/movie/EngineMovieRecorder.h"

using namespace platform;

namespace {

// An engine time as the platform's: the engine's records carry no flags, so any time with a
// positive timescale and a non-negative value is a real one (value -1 means "none").
CMTime PlatformTime(const sFrameTime& t) {
    if (t.timescale <= 0 || t.value < 0) return kCMTimeInvalid;
    return CMTimeMake(t.value, t.timescale);
}

class EngineFrames : public QVRealTimeVideoRecorderFrame {
public:
    explicit EngineFrames(std::shared_ptr<VideoFrameSource> source) : source_(std::move(source)) {}
    bool sample(uint8_t* pixels, size_t bytesPerRow) override { return source_->sample(pixels, bytesPerRow); }
    bool sampleTime(CMTime* time) override {
        sFrameTime t;
        const bool has = source_->sampleTime(&t);
        *time = has ? PlatformTime(t) : CMTimeMake(0, 60);
        return has && CMTIME_IS_VALID(*time);
    }
    CMTime startTime() override { return PlatformTime(source_->startTime()); }

private:
    std::shared_ptr<VideoFrameSource> source_;
};

}  // namespace

EngineMovieRecorder::EngineMovieRecorder(std::string filename) : recorder_(std::move(filename)) {}

void EngineMovieRecorder::setPreferredOutputSize(double width, double height) {
    recorder_.setPreferredOutputSize(CGSizeMake(width, height));
}

bool EngineMovieRecorder::start(int32_t width, int32_t height, std::shared_ptr<VideoFrameSource> frameSource,
                                bool audio) {
    if (!frameSource) return false;
    return recorder_.start(width, height, nullptr, std::make_unique<EngineFrames>(std::move(frameSource)), audio);
}

void EngineMovieRecorder::recordAudio(const AudioSampleRef& sampleBuffer) {
    recorder_.recordAudio(
        std::const_pointer_cast<CMSampleBuffer>(std::static_pointer_cast<const CMSampleBuffer>(sampleBuffer)));
}

void EngineMovieRecorder::register_() {
    VideoRecorder::SetFactory([] { return std::make_unique<EngineMovieRecorder>(); });
}
