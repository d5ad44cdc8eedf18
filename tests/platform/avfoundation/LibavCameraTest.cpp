// The real-device path run headless on a lavfi test source: frames reach a session's output
// on the main queue (within a generous real-clock bound), a preset change reopens the input
// at the new size, stills are cropped in software, a stream that ended gives no still of its
// last frame but its reason, full-range frames keep their colours and FFmpeg's warnings stay
// off standard error. Also the pure parts: the sources string, the capture size for a preset,
// and the V4L2 control mappings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/avfoundation/AVCaptureSession.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/avfoundation/LibavCamera.h"
#include "platform/avfoundation/V4L2Controls.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

using namespace platform;

class LastFrame : public AVCaptureSampleBufferDelegate {
public:
    CMSampleBufferRef last;
    int count = 0;
    void captureOutputDidOutputSampleBuffer(AVCaptureOutput&, const CMSampleBufferRef& b,
                                            AVCaptureConnection&) override {
        last = b;
        ++count;
    }
};

// Turns the real-clock main loop until `done` or 30 s pass (a bound for a stalled reader,
// not a speed check).
template <class Done>
bool RunUntil(Done done) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const double limit = loop.now() + 30;
    while (!done() && loop.now() < limit)
        if (!loop.runOnce()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

// A running session of the camera (photo preset) with a video data output and a still output.
struct Running {
    explicit Running(const AVCaptureDeviceRef& camera) {
        session->setSessionPreset(AVCaptureSessionPresetPhoto);
        session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(camera));
        video->setSampleBufferDelegate(&frames, dispatch_get_main_queue());
        session->addOutput(video);
        session->addOutput(still);
        session->startRunning();
    }
    AVCaptureSessionRef session = std::make_shared<AVCaptureSession>();
    LastFrame frames;
    std::shared_ptr<AVCaptureStillImageOutput> still = std::make_shared<AVCaptureStillImageOutput>();
    std::shared_ptr<AVCaptureVideoDataOutput> video = std::make_shared<AVCaptureVideoDataOutput>();
};

// A still of the session's camera on the real clock: the buffer (null when none was taken) and
// the error saying why.
CMSampleBufferRef TakeStill(AVCaptureStillImageOutput& still, NSErrorPtr* error = nullptr) {
    CMSampleBufferRef shot;
    bool answered = false;
    still.captureStillImageAsynchronouslyFromConnection(still.connectionWithMediaType(AVMediaTypeVideo),
                                                        [&](const CMSampleBufferRef& b, const NSErrorPtr& e) {
                                                            shot = b;
                                                            if (error) *error = e;
                                                            answered = true;
                                                        });
    EXPECT_TRUE(RunUntil([&] { return answered; })) << "the still answered";
    return shot;
}

TEST(LibavCameraTest, ATestSourceFeedsTheSessionAndAPresetChangeReopens) {
    NSRunLoop::mainRunLoop().useRealClock();
    std::string error;
    if (!CaptureRig::shared().configure("lavfi:testsrc2=size=320x240:rate=30", &error))
        GTEST_SKIP() << "no lavfi input: " << error;
    const AVCaptureDeviceRef camera = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->position(), AVCaptureDevicePositionBack);
    EXPECT_FALSE(camera->hasFlash()) << "no flash";
    EXPECT_FALSE(camera->isFocusPointOfInterestSupported());
    EXPECT_FALSE(camera->isExposureModeSupported(3)) << "a graph has no controls";

    Running running(camera);
    AVCaptureSession* session = running.session.get();
    LastFrame& frames = running.frames;
    AVCaptureStillImageOutput* still = running.still.get();
    ASSERT_TRUE(RunUntil([&] { return frames.count >= 2; })) << "no frames from the test source";
    EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(CMSampleBufferGetFormatDescription(frames.last)),
              (CMVideoDimensions{320, 240}));
    EXPECT_EQ(frames.last->imageBuffer()->pixelFormatType(), kCVPixelFormatType_32BGRA);
    // The test source's picture, not a blank buffer: many colours.
    const CVPixelBufferRef p = frames.last->imageBuffer();
    std::set<uint32_t> colours;
    for (size_t y = 0; y < p->height(); y += 7)
        for (size_t x = 0; x < p->width(); x += 7) {
            uint32_t c;
            std::memcpy(&c, p->data() + y * p->bytesPerRow() + x * 4, 4);
            colours.insert(c);
        }
    EXPECT_GT(colours.size(), 20u);
    // And it moves: a later frame is not the picture of this one (an unchanged picture is
    // scaled once, a changing one every frame).
    const std::vector<uint8_t> earlier(p->data(), p->data() + p->height() * p->bytesPerRow());
    const int seenFrames = frames.count;
    ASSERT_TRUE(RunUntil([&] { return frames.count >= seenFrames + 3; }));
    const CVPixelBufferRef later = frames.last->imageBuffer();
    EXPECT_NE(std::memcmp(earlier.data(), later->data(), earlier.size()), 0) << "the picture stood still";

    session->setSessionPreset(AVCaptureSessionPreset1920x1080);
    ASSERT_TRUE(RunUntil([&] {
        return frames.last && CMVideoFormatDescriptionGetDimensions(CMSampleBufferGetFormatDescription(frames.last)) ==
                                  CMVideoDimensions{320, 180};
    })) << "the preset change reopened the input at the new size";

    still->connectionWithMediaType(AVMediaTypeVideo)->setVideoScaleAndCropFactor(2);
    const CMSampleBufferRef shot = TakeStill(*still);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(ImagePropertyFind(shot->attachments(), kCGImagePropertyOrientation)->integer(), 6);
    EXPECT_EQ(ImagePropertyFind(shot->attachments(), kCGImagePropertyExifDictionary, "DigitalZoomRatio")->number(),
              2.0);
    session->stopRunning();
    const int seen = frames.count;
    NSRunLoop::mainRunLoop().runUntilDate(NSRunLoop::mainRunLoop().now() + 0.2);
    EXPECT_EQ(frames.count, seen) << "no frame after the stop";
    CaptureRig::shared().configure("simulated");
}

// A camera whose stream ends, as a webcam unplugged mid-stream does: its last frame stays in
// the viewfinder, but a still is not made of it as if it were new; the still answers why
// none was taken. Opened again, it gives stills again.
TEST(LibavCameraTest, AStreamThatEndsGivesNoStillOfItsLastFrameUntilItIsOpenedAgain) {
    NSRunLoop::mainRunLoop().useRealClock();
    std::string error;
    ASSERT_TRUE(CaptureRig::shared().configure("lavfi:testsrc=size=160x120:rate=15:duration=2", &error)) << error;
    const AVCaptureDeviceRef camera = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    Running running(camera);
    AVCaptureSession* session = running.session.get();
    LastFrame& frames = running.frames;
    AVCaptureStillImageOutput* still = running.still.get();
    ASSERT_TRUE(RunUntil([&] { return frames.count >= 1; })) << "no frames from the test source";
    EXPECT_TRUE(RunUntil([&] { return !camera->source()->isRunning(); })) << "the source says its stream ended";

    NSErrorPtr why;
    EXPECT_EQ(TakeStill(*still, &why), nullptr) << "a still of the last frame, as if it were new";
    ASSERT_TRUE(why) << "the still says why there is none";
    EXPECT_EQ(why->code(), AVErrorDeviceWasDisconnected);
    EXPECT_EQ(why->localizedDescription(), "The photo could not be taken.");
    EXPECT_EQ(why->localizedFailureReason(), "The camera stopped: the stream ended.");

    // The camera screen left and shown again opens the input anew.
    session->stopRunning();
    const int seen = frames.count;
    session->startRunning();
    ASSERT_TRUE(RunUntil([&] { return frames.count > seen; })) << "the reopened source gives frames";
    EXPECT_NE(TakeStill(*still, &why), nullptr);
    EXPECT_FALSE(why) << (why ? why->localizedFailureReason() : "");
    session->stopRunning();
    CaptureRig::shared().configure("simulated");
}

// A photo decodes to the old full-range formats (yuvj*), which FFmpeg's scaler took with a
// warning on every frame. Each gives the colour it shows, as a limited-range frame does, and
// standard error hears nothing of FFmpeg's.
TEST(LibavCameraTest, FullRangeFramesKeepTheirColoursAndFFmpegSaysNothing) {
    NSRunLoop::mainRunLoop().useRealClock();
    const std::string colour = "lavfi:color=c=0x204060:size=64x48:rate=30,";
    struct Case {
        const char* frames;
        const char* graph;
    } cases[] = {
        {"limited-range 4:2:0", "format=yuv420p"},
        {"old full-range 4:2:0 (a JPEG's)", "format=yuvj420p"},
        {"old full-range 4:2:2", "format=yuvj422p"},
        {"old full-range 4:4:4", "format=yuvj444p"},
    };
    testing::internal::CaptureStderr();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        std::string error;
        ASSERT_TRUE(CaptureRig::shared().configure(colour + c.graph, &error)) << error;
        auto session = std::make_shared<AVCaptureSession>();
        session->addInput(
            AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo)));
        auto video = std::make_shared<AVCaptureVideoDataOutput>();
        LastFrame frames;
        video->setSampleBufferDelegate(&frames, dispatch_get_main_queue());
        session->addOutput(video);
        session->startRunning();
        EXPECT_TRUE(RunUntil([&] { return frames.count >= 3; }));
        session->stopRunning();
        if (!frames.last) continue;
        const CVPixelBufferRef p = frames.last->imageBuffer();
        const uint8_t* bgra = p->data() + p->height() / 2 * p->bytesPerRow() + p->width() / 2 * 4;
        EXPECT_NEAR(bgra[2], 0x20, 3) << "red";
        EXPECT_NEAR(bgra[1], 0x40, 3) << "green";
        EXPECT_NEAR(bgra[0], 0x60, 3) << "blue";
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "") << "FFmpeg's warnings reached standard error";
    CaptureRig::shared().configure("simulated");
}

TEST(LibavCameraTest, SourcesStringsThatAreRefused) {
    struct Case {
        const char* sources;
        const char* message;
    } cases[] = {
        {"lavfi:", "filter graph"},
        {"v4l2:/dev/video0@sideways", "mount"},
        {"v4l2:/nonexistent/video7", "could not be opened"},
        {"lavfi:nosuchfilter", "could not be opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sources);
        std::string error;
        EXPECT_FALSE(CaptureRig::shared().configure(c.sources, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(LibavCameraTest, CaptureSizeForAPreset) {
    const std::vector<CMVideoDimensions> sizes{{640, 480}, {1280, 720}, {1600, 1200}, {1920, 1080}, {320, 240}};
    struct Case {
        const char* preset;
        std::vector<CMVideoDimensions> sizes;
        CMVideoDimensions expected;
    } cases[] = {
        {"AVCaptureSessionPresetPhoto", sizes, {1600, 1200}},
        {"AVCaptureSessionPreset640x480", sizes, {640, 480}},
        {"AVCaptureSessionPreset1920x1080", sizes, {1920, 1080}},
        {"AVCaptureSessionPreset1920x1080", {{640, 480}, {1280, 720}}, {1280, 720}},
        {"AVCaptureSessionPresetPhoto", {{1280, 720}}, {1280, 720}},
        {"AVCaptureSessionPresetPhoto", {}, {320, 240}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        EXPECT_EQ(LibavCamera::captureSizeForPreset(c.preset, c.sizes, {320, 240}), c.expected);
    }
}

TEST(V4L2MappingTest, SettingsMapOntoControlRanges) {
    using namespace V4L2Mapping;
    const V4L2ControlRange exposure{3, 2047, 1, 250}, gain{0, 255, 1, 0}, zoom{100, 500, 10, 100},
        coarse{0, 100, 25, 0};
    struct Case {
        const char* name;
        int32_t actual, expected;
    } cases[] = {
        {"1/100 s", exposureValue(0.01, exposure), 100},
        {"1/8000 s clamps up", exposureValue(1.0 / 8000, exposure), 3},
        {"1 s clamps down", exposureValue(1, exposure), 2047},
        {"ISO 32 is the lowest gain", gainValue(32, gain), 0},
        {"ISO 1600 the highest", gainValue(1600, gain), 255},
        {"ISO 227 halfway in stops", gainValue(227, gain), 128},
        {"ISO beyond the range", gainValue(6400, gain), 255},
        {"zoom 1", zoomValue(1, zoom), 100},
        {"zoom 3 on a step", zoomValue(3, zoom), 300},
        {"zoom 10 clamps", zoomValue(10, zoom), 500},
        {"steps round", clampToRange(40, coarse), 50},
        {"NaN takes the default", clampToRange(std::nan(""), exposure), 250},
        {"focus locked", focusAutoValue(0), 0},
        {"focus continuous", focusAutoValue(2), 1},
        {"exposure continuous", exposureAutoValue(2), 3},
        {"exposure custom", exposureAutoValue(3), 1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
    EXPECT_NEAR(isoForGain(gainValue(400, gain), gain), 400, 15);
    EXPECT_DOUBLE_EQ(exposureSeconds(100), 0.01);

    // A node without controls: no focus, no custom exposure, no zoom.
    const AVCaptureDeviceCapabilities bare = capabilities({});
    EXPECT_TRUE(bare.focusModes.empty());
    EXPECT_TRUE(bare.exposureModes.empty());
    EXPECT_EQ(bare.videoMaxZoomFactor, 1);
    EXPECT_FALSE(bare.hasFlash);
    const AVCaptureDeviceCapabilities full =
        capabilities({V4L2ControlRange{0, 1}, V4L2ControlRange{0, 3}, exposure, gain, zoom});
    EXPECT_EQ(full.focusModes, (std::set<int64_t>{0, 2}));
    EXPECT_EQ(full.exposureModes, (std::set<int64_t>{0, 2, 3}));
    EXPECT_DOUBLE_EQ(full.maxExposureSeconds, 0.2047);
    EXPECT_EQ(full.videoMaxZoomFactor, 5);
    EXPECT_FALSE(full.focusPointOfInterestSupported);
}

}  // namespace
