#pragma once
// A camera on the run-loop clock: a timer at the frame duration renders the scene into pooled
// BGRA buffers and stamps each frame with the clock, so advancing a manual clock by 1/30 s
// gives one frame. The scene is a test pattern (a grey gradient, coloured corner markers and
// a stripe with the frame number in binary) or a photo, lit by the device's exposure gain and
// its torch, and turned from upright into the sensor frame by the mount orientation.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/avfoundation/CaptureSource.h"
#include "platform/corevideo/CVPixelBufferPool.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/imageio/ImageIO.h"

namespace platform {

class AVCaptureDevice;

class SimulatedCamera : public CaptureSource {
public:
    // The Model its stills state.
    static constexpr const char* kModel = "Simulated Camera";

    // `photo` (may be null): the upright scene, filling the frame; else the test pattern.
    SimulatedCamera(int64_t position, CMVideoDimensions sensor, std::shared_ptr<const ImageBitmap> photo = nullptr);
    ~SimulatedCamera() override;
    void attach(const std::shared_ptr<AVCaptureDevice>& device) { device_ = device; }

    void start(const CaptureRequest& request, Handler handler) override;
    void stop() override;
    bool isRunning() const override { return timer_ != nullptr; }
    void setFrameDuration(CMTime frameDuration) override;
    CMVideoDimensions sensorSize() const override { return sensor_; }
    CMSampleBufferRef stillFrame(double cropFactor) override;
    int64_t framesRendered() const { return frameNumber_; }

    // The pattern's colours (B, G, R) of the corner markers: top left, top right, bottom left,
    // bottom right of the upright scene.
    static constexpr uint8_t kMarkers[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255}};
    // Renders the upright scene (the photo, else the pattern), turned into a W × H frame of
    // the given Exif orientation, showing the centre 1/`crop` of the scene, lit by `gain`
    // (1 = normal) and `extraLight`.
    // When `stripe` is given, the byte offset and bit of every pixel of the frame-number stripe
    // are added to it.
    struct StripePixel {
        size_t offset;
        int bit;
    };
    static void renderScene(uint8_t* bgra, size_t bytesPerRow, int32_t width, int32_t height, int orientation,
                            int64_t frameNumber, double gain, double extraLight, double crop,
                            const ImageBitmap* photo = nullptr, std::vector<StripePixel>* stripe = nullptr);

private:
    // The live frames' scene as last rendered, and where its frame-number stripe lies: the next
    // frame under the same light, orientation and size is a copy with only the stripe drawn
    // again, so making a frame costs a copy instead of a pass over every pixel.
    struct Scene {
        CMVideoDimensions size{};
        size_t bytesPerRow = 0;
        int orientation = 0;
        double gain = 0, extraLight = 0;
        std::vector<uint8_t> bytes;
        std::vector<StripePixel> stripe;
    };

    void schedule(CMTime frameDuration);
    // `live`: a frame of the running camera, made from the kept scene where it still holds.
    CMSampleBufferRef render(CMVideoDimensions size, const CVPixelBufferPoolRef& pool, double crop, int* orientation,
                             bool live);

    int64_t position_;
    CMVideoDimensions sensor_;
    std::shared_ptr<const ImageBitmap> photo_;
    std::weak_ptr<AVCaptureDevice> device_;
    CMVideoDimensions size_{};
    CMTime frameDuration_ = kCMTimeInvalid;
    Handler handler_;
    std::shared_ptr<NSTimer> timer_;
    CVPixelBufferPoolRef pool_;
    int64_t frameNumber_ = 0;
    Scene scene_;
};

}  // namespace platform
