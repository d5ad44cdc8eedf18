#pragma once
// The engine's recorder in the camera: the real-time movie recorder behind the engine's
// recorder interface, pulling frames through the engine's frame source. register_() makes every
// engine record with it (the graphics view installs it with the camera).
#include <memory>
#include <string>

#include "camera/movie/QVRealTimeVideoRecorder.h"
#include "engine/VideoRecorder.h"

class EngineMovieRecorder : public VideoRecorder {
public:
    explicit EngineMovieRecorder(std::string filename = {});

    void setPreferredOutputSize(double width, double height) override;
    bool start(int32_t width, int32_t height, std::shared_ptr<VideoFrameSource> frameSource, bool audio) override;
    bool started() const override { return recorder_.started(); }
    void stop() override { recorder_.stop(); }
    std::string filename() const override { return recorder_.filename(); }
    void recordFrame() override { recorder_.recordFrame(); }
    // The engine passes on the capture's sample buffers untyped; they are CMSampleBuffers.
    void recordAudio(const AudioSampleRef& sampleBuffer) override;

    static void register_();
    const QVRealTimeVideoRecorder& realTimeRecorder() const { return recorder_; }

private:
    QVRealTimeVideoRecorder recorder_;
};
