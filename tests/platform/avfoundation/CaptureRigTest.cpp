// The simulated rig on the manual clock: frames at the frame duration with the preset's size
// once the outermost configuration commits, focus and exposure that settle (or never do) with
// their notifications, exposure that brightens the picture, stills after their latency whose
// orientation turns the scene upright for either camera and any device orientation, the crop
// factor, the error of a stopped session, a still's wait for a camera's late first frame (and
// the reason of a camera that stops meanwhile), and the microphone's sine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "platform/avfoundation/AVCaptureSession.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/avfoundation/SimulatedCamera.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIScreen.h"

namespace {

using namespace platform;

class Collector : public AVCaptureSampleBufferDelegate {
public:
    std::vector<CMSampleBufferRef> buffers;
    void captureOutputDidOutputSampleBuffer(AVCaptureOutput&, const CMSampleBufferRef& b,
                                            AVCaptureConnection&) override {
        buffers.push_back(b);
    }
};

// Mean of one channel (0 B, 1 G, 2 R) over a buffer.
double MeanChannel(const CVPixelBufferRef& buffer, int channel) {
    double sum = 0;
    for (size_t y = 0; y < buffer->height(); ++y)
        for (size_t x = 0; x < buffer->width(); ++x) sum += buffer->data()[y * buffer->bytesPerRow() + x * 4 + channel];
    return sum / static_cast<double>(buffer->width() * buffer->height());
}

// The still turned upright by its Orientation attachment (BGRA).
ImageBitmap Upright(const CMSampleBufferRef& still) {
    const CVPixelBufferRef p = CMSampleBufferGetImageBuffer(still);
    ImageBitmap bitmap;
    bitmap.width = static_cast<uint32_t>(p->width());
    bitmap.height = static_cast<uint32_t>(p->height());
    bitmap.format = ImagePixelFormat::BGRA;
    for (size_t y = 0; y < p->height(); ++y)
        bitmap.pixels.insert(bitmap.pixels.end(), p->data() + y * p->bytesPerRow(),
                             p->data() + y * p->bytesPerRow() + p->width() * 4);
    const auto orientation = ImagePropertyFind(still->attachments(), kCGImagePropertyOrientation)->integer();
    return *ApplyEXIFOrientation(bitmap, static_cast<int>(*orientation));
}

class CaptureRigTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop.useManualClock(10);
        SimulatedRigOptions options;
        options.backSensor = {160, 120};
        options.frontSensor = {80, 60};
        CaptureRig::shared().configureSimulated(options);
        back = CaptureRig::shared().devices()[0];
        front = CaptureRig::shared().devices()[1];
    }
    void TearDown() override {
        session.reset();
        UIDeviceProfile profile = UIDeviceProfile::current();
        profile.orientation = UIDeviceOrientation::Portrait;
        UIDeviceProfile::setCurrent(profile);
        loop.runUntilIdle();
        loop.useRealClock();
    }
    // A running session on the camera with a video data output (and a still output).
    void Run(const AVCaptureDeviceRef& camera, const AVCaptureSessionPreset& preset = AVCaptureSessionPresetPhoto) {
        session = std::make_shared<AVCaptureSession>();
        session->beginConfiguration();
        session->setSessionPreset(preset);
        session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(camera));
        video = std::make_shared<AVCaptureVideoDataOutput>();
        video->setSampleBufferDelegate(&frames, dispatch_get_main_queue());
        session->addOutput(video);
        still = std::make_shared<AVCaptureStillImageOutput>();
        session->addOutput(still);
        session->commitConfiguration();
        session->startRunning();
    }
    void SetOrientation(int orientation) {
        UIDeviceProfile profile = UIDeviceProfile::current();
        profile.orientation = static_cast<UIDeviceOrientation>(orientation);
        UIDeviceProfile::setCurrent(profile);
    }
    CMSampleBufferRef TakeStill(NSErrorPtr* error = nullptr) {
        CMSampleBufferRef result;
        bool answered = false;
        still->captureStillImageAsynchronouslyFromConnection(still->connectionWithMediaType(AVMediaTypeVideo),
                                                             [&](const CMSampleBufferRef& b, const NSErrorPtr& e) {
                                                                 answered = true;
                                                                 result = b;
                                                                 if (error) *error = e;
                                                             });
        loop.advance(0.099);
        EXPECT_FALSE(answered) << "not before its latency";
        loop.advance(0.002);
        EXPECT_TRUE(answered);
        return result;
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    AVCaptureDeviceRef back, front;
    AVCaptureSessionRef session;
    Collector frames;
    std::shared_ptr<AVCaptureVideoDataOutput> video;
    std::shared_ptr<AVCaptureStillImageOutput> still;
};

TEST_F(CaptureRigTest, FramesFollowTheClockAndThePresetChangesAtTheOutermostCommit) {
    Run(back);
    loop.advance(1.0 / 30);
    ASSERT_EQ(frames.buffers.size(), 1u);
    const CMVideoDimensions photo = AVCaptureSession::videoDimensionsForPreset(AVCaptureSessionPresetPhoto, {160, 120});
    EXPECT_EQ(photo, (CMVideoDimensions{160, 120})) << "a 4:3 preset fits a small sensor whole";
    EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(CMSampleBufferGetFormatDescription(frames.buffers[0])), photo);
    EXPECT_EQ(CMFormatDescriptionGetMediaSubType(CMSampleBufferGetFormatDescription(frames.buffers[0])),
              kCVPixelFormatType_32BGRA);
    EXPECT_EQ(CMTimeCompare(CMSampleBufferGetPresentationTimeStamp(frames.buffers[0]),
                            CMTimeMakeWithSeconds(10 + 1.0 / 30, 600)),
              0)
        << "stamped with the run-loop clock";

    session->beginConfiguration();
    session->beginConfiguration();
    session->setSessionPreset(AVCaptureSessionPreset1920x1080);
    session->commitConfiguration();
    loop.advance(1.0 / 30);
    EXPECT_EQ(frames.buffers.back()->imageBuffer()->height(), 120u) << "not applied inside the outer configuration";
    session->commitConfiguration();
    loop.advance(1.0 / 30);
    EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(CMSampleBufferGetFormatDescription(frames.buffers.back())),
              (CMVideoDimensions{160, 90}));

    // A new frame duration takes effect at once; stopping ends the frames.
    ASSERT_TRUE(back->lockForConfiguration());
    back->setActiveVideoMinFrameDuration(CMTimeMake(1, 10));
    back->unlockForConfiguration();
    const size_t before = frames.buffers.size();
    loop.advance(0.1);
    EXPECT_EQ(frames.buffers.size(), before + 1);
    session->stopRunning();
    loop.advance(1);
    EXPECT_EQ(frames.buffers.size(), before + 1);
}

TEST_F(CaptureRigTest, FocusAndExposureSettleOnTheClockWithNotifications) {
    std::vector<std::pair<std::string, bool>> seen;
    back->addObserver("adjustingFocus",
                      [&](const std::string& key) { seen.emplace_back(key, back->isAdjustingFocus()); });
    back->addObserver("adjustingExposure",
                      [&](const std::string& key) { seen.emplace_back(key, back->isAdjustingExposure()); });
    back->setFocusMode(1);
    EXPECT_TRUE(seen.empty()) << "without the lock nothing changes";

    ASSERT_TRUE(back->lockForConfiguration());
    back->setFocusPointOfInterest(CGPointMake(0.2, 0.7));
    back->setFocusMode(1);
    back->setExposurePointOfInterest(CGPointMake(2, -1));
    back->setExposureMode(1);
    back->unlockForConfiguration();
    EXPECT_EQ(back->focusPointOfInterest().x, 0.2);
    EXPECT_EQ(back->exposurePointOfInterest().x, 1.0) << "points are clamped to the unit square";
    using P = std::pair<std::string, bool>;
    EXPECT_EQ(seen, (std::vector<P>{{"adjustingFocus", true}, {"adjustingExposure", true}}));
    loop.advance(0.19);
    EXPECT_TRUE(back->isAdjustingFocus());
    loop.advance(0.02);
    EXPECT_EQ(seen, (std::vector<P>{{"adjustingFocus", true},
                                    {"adjustingExposure", true},
                                    {"adjustingFocus", false},
                                    {"adjustingExposure", false}}));

    // Never settling, and the front camera has no focus at all.
    back->setSettleTimeForTesting(std::numeric_limits<double>::infinity());
    ASSERT_TRUE(back->lockForConfiguration());
    back->setFocusMode(2);
    back->unlockForConfiguration();
    loop.advance(60);
    EXPECT_TRUE(back->isAdjustingFocus());
    EXPECT_FALSE(front->isFocusModeSupported(2));
    EXPECT_FALSE(front->isFocusPointOfInterestSupported());
    EXPECT_TRUE(front->isExposurePointOfInterestSupported());
    EXPECT_EQ(front->flashMode(), 0);
    EXPECT_FALSE(front->hasFlash());

    back->setLockFailsForTesting(true);
    EXPECT_FALSE(back->lockForConfiguration());
}

TEST_F(CaptureRigTest, ExposureAndTorchBrightenTheFrame) {
    Run(back);
    auto meanAfter = [&](CMTime duration, float iso, int64_t torch) {
        EXPECT_TRUE(back->lockForConfiguration());
        back->setExposureModeCustomWithDurationAndISO(duration, iso, nullptr);
        back->setTorchMode(torch);
        back->unlockForConfiguration();
        loop.advance(1.0 / 30);
        return MeanChannel(frames.buffers.back()->imageBuffer(), 1);
    };
    const double dark = meanAfter(CMTimeMake(1, 500), 100, 0);
    const double normal = meanAfter(CMTimeMake(1, 60), 100, 0);
    const double bright = meanAfter(CMTimeMake(1, 60), 400, 0);
    const double torch = meanAfter(CMTimeMake(1, 60), 100, 1);
    EXPECT_LT(dark, normal);
    EXPECT_LT(normal, bright);
    EXPECT_LT(normal, torch);
    EXPECT_EQ(back->ISO(), 100.0f);
    meanAfter(CMTimeMake(10, 1), 1e6f, 0);
    EXPECT_DOUBLE_EQ(CMTimeGetSeconds(back->exposureDuration()), 0.5) << "clamped to the format";
    EXPECT_EQ(back->ISO(), 1600.0f);
}

// Live frames are made from the last frame's scene where the light and the orientation held:
// each one must still be exactly what rendering its scene afresh gives, its frame number
// included, also right after the light or the device's orientation changed.
TEST_F(CaptureRigTest, EveryLiveFrameIsItsSceneRenderedAfresh) {
    Run(back);
    loop.advance(0.1);
    // Only the newest frame is held, so the camera's pool never runs dry and drops one.
    const int64_t first = static_cast<int64_t>(frames.buffers.size());
    frames.buffers.clear();
    struct Step {
        int64_t torch;
        int orientation;
    } steps[] = {{0, 1}, {0, 1}, {0, 1}, {1, 1}, {1, 1}, {0, 3}, {0, 3}, {0, 1}};
    int64_t checked = 0;
    for (const Step& step : steps) {
        ASSERT_TRUE(back->lockForConfiguration());
        back->setTorchMode(step.torch);
        back->unlockForConfiguration();
        SetOrientation(step.orientation);
        for (int tick = 0; tick < 10 && frames.buffers.empty(); ++tick) loop.advance(0.01);
        ASSERT_EQ(frames.buffers.size(), 1u);
        const CVPixelBufferRef live = frames.buffers.back()->imageBuffer();
        frames.buffers.clear();
        const int64_t number = first + checked;
        const int exif = CaptureRig::sensorOrientation(AVCaptureDevicePositionBack, step.orientation);
        std::vector<uint8_t> fresh(live->bytesPerRow() * live->height());
        SimulatedCamera::renderScene(fresh.data(), live->bytesPerRow(), static_cast<int32_t>(live->width()),
                                     static_cast<int32_t>(live->height()), exif, number, back->exposureGain(),
                                     step.torch ? 0.25 : 0.0, 1.0);
        EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), live->data()))
            << "frame " << number << " torch " << step.torch << " orientation " << step.orientation;
        ++checked;
    }
    EXPECT_EQ(checked, 8);
}

TEST_F(CaptureRigTest, StillsComeAfterTheirLatencyAndTurnUpright) {
    struct Case {
        bool front;
        int deviceOrientation, exif;
    } cases[] = {{false, 1, 6}, {false, 2, 8}, {false, 3, 1}, {false, 4, 3},
                 {true, 1, 6},  {true, 2, 8},  {true, 3, 3},  {true, 4, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.front ? "front " : "back ") << c.deviceOrientation);
        SetOrientation(c.deviceOrientation);
        Run(c.front ? front : back);
        const CMSampleBufferRef shot = TakeStill();
        ASSERT_NE(shot, nullptr);
        const CMVideoDimensions sensor = c.front ? CMVideoDimensions{80, 60} : CMVideoDimensions{160, 120};
        EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(CMSampleBufferGetFormatDescription(shot)), sensor);
        const ImageProperties& a = shot->attachments();
        EXPECT_EQ(ImagePropertyFind(a, kCGImagePropertyOrientation)->integer(), c.exif);
        EXPECT_EQ(ImagePropertyFind(a, kCGImagePropertyExifDictionary, "PixelXDimension")->integer(), sensor.width);
        EXPECT_EQ(ImagePropertyFind(a, kCGImagePropertyExifDictionary, "Flash")->integer(), 0);
        EXPECT_NEAR(*ImagePropertyFind(a, kCGImagePropertyExifDictionary, "ExposureTime")->number(), 1.0 / 60, 1e-9);
        // Upright and unmirrored: red top left, green top right, blue bottom left (BGRA).
        const ImageBitmap up = Upright(shot);
        const bool portrait = c.deviceOrientation <= 2;
        EXPECT_EQ(up.width < up.height, portrait);
        const uint8_t* tl = up.pixel(1, 1);
        const uint8_t* tr = up.pixel(up.width - 2, 1);
        const uint8_t* bl = up.pixel(1, up.height - 2);
        EXPECT_TRUE(tl[2] > 200 && tl[0] < 50 && tl[1] < 50) << "top left";
        EXPECT_TRUE(tr[1] > 200 && tr[2] < 50) << "top right";
        EXPECT_TRUE(bl[0] > 200 && bl[2] < 50) << "bottom left";
        session.reset();
    }
}

TEST_F(CaptureRigTest, APhotoSceneFillsTheFrameUpright) {
    // Quadrants: red, green / blue, white (RGBA), wider than the portrait picture it fills.
    auto photo = std::make_shared<ImageBitmap>();
    photo->width = 40, photo->height = 30;
    photo->pixels.resize(40 * 30 * 4);
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 40; ++x) {
            const int q = (y >= 15 ? 2 : 0) + (x >= 20 ? 1 : 0);
            const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
            uint8_t* p = photo->pixel(x, y);
            p[0] = colours[q][0], p[1] = colours[q][1], p[2] = colours[q][2], p[3] = 255;
        }
    SimulatedRigOptions options;
    options.backSensor = {160, 120};
    options.photo = photo;
    CaptureRig::shared().configureSimulated(options);
    Run(CaptureRig::shared().devices()[0]);
    const ImageBitmap up = Upright(TakeStill());
    ASSERT_EQ(up.width, 120u);
    struct Probe {
        uint32_t x, y;
        uint8_t r, g, b;
    } probes[] = {{2, 2, 255, 0, 0}, {117, 2, 0, 255, 0}, {2, 157, 0, 0, 255}, {117, 157, 255, 255, 255}};
    for (const Probe& p : probes) {
        const uint8_t* px = up.pixel(p.x, p.y);
        EXPECT_EQ((std::vector<int>{px[2], px[1], px[0]}), (std::vector<int>{p.r, p.g, p.b})) << p.x << "," << p.y;
    }
}

TEST_F(CaptureRigTest, CropFactorFlashAndTheStoppedSession) {
    Run(back);
    ASSERT_TRUE(back->lockForConfiguration());
    back->setFlashMode(1);
    back->unlockForConfiguration();
    still->connectionWithMediaType(AVMediaTypeVideo)->setVideoScaleAndCropFactor(3);
    const CMSampleBufferRef zoomed = TakeStill();
    ASSERT_NE(zoomed, nullptr);
    EXPECT_EQ(ImagePropertyFind(zoomed->attachments(), kCGImagePropertyExifDictionary, "Flash")->integer(), 1);
    EXPECT_EQ(ImagePropertyFind(zoomed->attachments(), kCGImagePropertyExifDictionary, "DigitalZoomRatio")->number(),
              3.0);
    const ImageBitmap up = Upright(zoomed);
    const uint8_t* corner = up.pixel(1, 1);
    EXPECT_TRUE(corner[0] == corner[1] && corner[1] == corner[2]) << "the markers are cropped away, grey remains";
    EXPECT_EQ(up.width, 120u) << "scaled back to the sensor's size";
    EXPECT_FALSE(AVCaptureStillImageOutput::jpegStillImageNSDataRepresentation(zoomed).empty());

    session->stopRunning();
    NSErrorPtr error;
    EXPECT_EQ(TakeStill(&error), nullptr);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), AVErrorSessionNotRunning);
    EXPECT_EQ(error->localizedFailureReason(), "The camera is not running.");
}

// A camera whose first frame comes late, as a reopened input's does on a busy machine: a
// still asked for before it waits for it, and one that never comes is an error in time. A
// camera that stops meanwhile (unplugged) is said at once, with its reason, and its frame,
// which it keeps, is never taken.
class LateCamera : public CaptureSource {
public:
    explicit LateCamera(std::shared_ptr<SimulatedCamera> inner) : inner_(std::move(inner)) {}
    void start(const CaptureRequest& request, Handler handler) override { inner_->start(request, handler); }
    void stop() override { inner_->stop(); }
    bool isRunning() const override { return inner_->isRunning(); }
    std::string failureReason() const override { return failure; }
    CMVideoDimensions sensorSize() const override { return inner_->sensorSize(); }
    CMSampleBufferRef stillFrame(double crop) override { return hasFrame ? inner_->stillFrame(crop) : nullptr; }
    bool hasFrame = false;
    std::string failure;

private:
    std::shared_ptr<SimulatedCamera> inner_;
};

TEST_F(CaptureRigTest, AStillWaitsForACameraThatHasNoFrameYetAndGivesUpInTime) {
    auto source = std::make_shared<LateCamera>(
        std::make_shared<SimulatedCamera>(AVCaptureDevicePositionBack, CMVideoDimensions{160, 120}));
    const auto late = std::make_shared<AVCaptureDevice>(
        "late", "Late Camera", AVMediaTypeVideo, AVCaptureDevicePositionBack, AVCaptureDeviceCapabilities{}, source);
    struct Case {
        const char* camera;
        bool frameComes;
        const char* failure;
        bool atOnce;  // answered at the next look, not after the whole wait
        const char* reason;
    } cases[] = {
        {"the first frame comes after a second", true, "", true, ""},
        {"no frame ever comes", false, "", false, "The camera gave no picture within 5 seconds."},
        {"the camera stops after its frame, unplugged", true, "no such device", true,
         "The camera stopped: no such device."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.camera);
        source->hasFrame = false;
        source->failure.clear();
        Run(late);
        int answers = 0;
        CMSampleBufferRef shot;
        NSErrorPtr error;
        still->captureStillImageAsynchronouslyFromConnection(
            still->connectionWithMediaType(AVMediaTypeVideo),
            [&](const CMSampleBufferRef& b, const NSErrorPtr& e) { ++answers, shot = b, error = e; });
        loop.advance(1.0);
        EXPECT_EQ(answers, 0) << "still waiting for the first frame";
        EXPECT_TRUE(still->isCapturingStillImage());
        source->hasFrame = c.frameComes;
        source->failure = c.failure;
        loop.advance(AVCaptureStillImageOutput::kLatency + 0.01);
        EXPECT_EQ(answers, c.atOnce ? 1 : 0);
        loop.advance(AVCaptureStillImageOutput::kFirstFrameWait);
        EXPECT_EQ(answers, 1) << "exactly one answer";
        EXPECT_FALSE(still->isCapturingStillImage());
        const bool taken = *c.reason == 0;
        EXPECT_EQ(shot != nullptr, taken);
        EXPECT_EQ(!error, taken);
        if (!taken && error) {
            EXPECT_EQ(error->domain(), AVFoundationErrorDomain);
            EXPECT_EQ(error->localizedDescription(), "The photo could not be taken.");
            EXPECT_EQ(error->localizedFailureReason(), c.reason);
        }
        session->stopRunning();
    }
}

TEST_F(CaptureRigTest, TheMicrophoneGivesASineInBuffersOf1024) {
    auto session = std::make_shared<AVCaptureSession>();
    session->addInput(
        AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeAudio)));
    auto audio = std::make_shared<AVCaptureAudioDataOutput>();
    Collector buffers;
    audio->setSampleBufferDelegate(&buffers, dispatch_get_main_queue());
    session->startRunning();
    loop.advance(0.1);
    EXPECT_TRUE(buffers.buffers.empty()) << "no audio output, no microphone";
    session->addOutput(audio);
    loop.advance(2048 / 44100.0 + 1e-6);
    ASSERT_EQ(buffers.buffers.size(), 2u);
    const CMSampleBufferRef& b = buffers.buffers[1];
    EXPECT_EQ(b->formatDescription().sampleRate, 44100);
    EXPECT_EQ(b->formatDescription().channelsPerFrame, 1);
    EXPECT_EQ(CMSampleBufferGetNumSamples(b), 1024);
    // On the clock that stamps the camera's frames: the microphone started at 10.1 s.
    EXPECT_EQ(CMTimeCompare(CMSampleBufferGetPresentationTimeStamp(b), CMTimeMake(445410 + 1024, 44100)), 0);
    // Zero crossings of 440 Hz over 1024 samples: about 20.
    int crossings = 0;
    for (size_t i = 1; i < b->pcm().size(); ++i) crossings += (b->pcm()[i - 1] < 0) != (b->pcm()[i] < 0);
    EXPECT_NEAR(crossings, 2 * 440 * 1024 / 44100.0, 1.5);
    session->stopRunning();
}

TEST_F(CaptureRigTest, SourcesStringAndTheDeviceProfile) {
    struct Case {
        const char* sources;
        bool ok, camera;
    } cases[] = {{"none", true, false}, {"simulated", true, true}, {"webcam", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sources);
        std::string error;
        EXPECT_EQ(CaptureRig::shared().configure(c.sources, &error), c.ok);
        EXPECT_EQ(error.empty(), c.ok);
        EXPECT_EQ(UIDeviceProfile::current().cameraAvailable, c.camera);
        EXPECT_EQ(AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo).empty(), !c.camera);
    }
    CaptureRig::shared().removeDevice(AVCaptureDevicePositionBack);
    CaptureRig::shared().removeDevice(AVCaptureDevicePositionFront);
    EXPECT_FALSE(UIDeviceProfile::current().cameraAvailable);
}

}  // namespace
