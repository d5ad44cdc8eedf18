// The capture controller on the simulated rig: which camera and preset it starts with, the
// frame-rate choice, frames and their measured rate on the manual clock, the swap and its
// delegate calls, flash and torch cycles, and the audio output switched on and off.
#include <gtest/gtest.h>

#include <vector>

#include "camera/capture/VideoController.h"
#include "CameraRigFixture.h"

namespace {

using namespace platform;

class RecordingDelegate : public VideoControllerDelegate {
public:
    std::vector<bool> will, did;
    void videoControllerWillSwapFrontAndBack(VideoController&, bool front) override { will.push_back(front); }
    void videoControllerDidSwapFrontAndBack(VideoController&, bool front) override { did.push_back(front); }
};

class VideoControllerTest : public CameraRigFixture {
protected:
    AVCaptureDeviceRef Camera(int64_t position) {
        for (const auto& d : AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo))
            if (d->position() == position) return d;
        return nullptr;
    }
};

TEST_F(VideoControllerTest, StartsOnTheCameraThereIs) {
    {
        VideoController controller;
        EXPECT_EQ(controller.videoDevicePosition(), AVCaptureDevicePositionBack);
        EXPECT_EQ(controller.sessionPreset(), AVCaptureSessionPresetPhoto);
        ASSERT_NE(controller.stillImageCaptureOutput(), nullptr);
        EXPECT_NE(controller.stillImageCaptureVideoConnection(), nullptr);
        EXPECT_EQ(controller.session()->outputs().size(), 2u);
        EXPECT_EQ(Camera(1)->activeVideoMinFrameDuration().timescale, 30);
        EXPECT_EQ(Camera(2)->activeVideoMaxFrameDuration().timescale, 30);
    }
    CaptureRig::shared().removeDevice(AVCaptureDevicePositionBack);
    {
        VideoController controller;
        EXPECT_EQ(controller.videoDevicePosition(), AVCaptureDevicePositionFront);
        EXPECT_TRUE(controller.isFrontFacing());
        EXPECT_EQ(controller.sessionPreset(), VideoController::defaultFrontFacingSnapSessionPreset());
        EXPECT_EQ(controller.currentCameraInput(), controller.frontCameraDeviceInput());
        EXPECT_TRUE(DeviceUtility::hasCameraConnection());
    }
    CaptureRig::shared().removeDevice(AVCaptureDevicePositionFront);
    EXPECT_FALSE(UIDeviceProfile::current().cameraAvailable);
    VideoController none;
    EXPECT_EQ(none.session(), nullptr);
    EXPECT_FALSE(DeviceUtility::hasCameraConnection());
    RecordingDelegate delegate;
    none.setDelegate(&delegate);
    none.start();
    none.swapFrontAndBackCameras(false);
    none.setFlashMode(1);
    none.stop();
    EXPECT_EQ(none.flashMode(), -1);
    EXPECT_TRUE(delegate.will.empty());
}

TEST_F(VideoControllerTest, AnOldPhoneHasNoPhotoPresetAndAudioComesOffByIdentity) {
    SetMachine("iPhone2,1");
    EXPECT_EQ(VideoController::defaultBackFacingSnapSessionPreset(), AVCaptureSessionPreset640x480);
    EXPECT_EQ(VideoController::defaultSnapSessionPreset(2), AVCaptureSessionPreset640x480);
    EXPECT_FALSE(VideoController::useStillImageCaptureOutput());
    VideoController controller;
    EXPECT_EQ(controller.stillImageCaptureOutput(), nullptr);
    EXPECT_EQ(controller.stillImageCaptureVideoConnection(), nullptr);
    EXPECT_EQ(Camera(1)->activeVideoMinFrameDuration().timescale, 24) << "an old phone runs at 24";
    const AVCaptureOutputRef video = controller.session()->outputs().at(0);
    controller.enableAudio(false);  // never on: nothing to take away
    EXPECT_EQ(controller.session()->outputs(), std::vector<AVCaptureOutputRef>{video});
    controller.enableAudio(true);
    controller.enableAudio(true);
    ASSERT_EQ(controller.session()->outputs().size(), 2u) << "on twice adds it once";
    controller.enableAudio(false);
    EXPECT_EQ(controller.session()->outputs(), std::vector<AVCaptureOutputRef>{video}) << "the video output stays";
}

TEST_F(VideoControllerTest, FrameRateChoice) {
    VideoController controller;
    const AVCaptureDeviceRef camera = Camera(1);
    struct Case {
        const char* name;
        std::vector<AVFrameRateRange> ranges;
        double rate;
        bool lockFails;
        int32_t expected;  // timescale of 1/rate; 0: unchanged
    } cases[] = {
        {"above every maximum", {{1, 24}}, 30, false, 24},
        {"below every minimum", {{15, 30}, {10, 60}}, 5, false, 10},
        {"inside a range", {{2, 30}}, 25, false, 25},
        {"first holding range", {{20, 24}, {2, 60}}, 30, false, 30},
        {"no ranges", {}, 15, false, 0},
        {"lock fails", {{2, 30}}, 15, true, 0},
        {"below one", {{0, 30}}, 0.5, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(camera->lockForConfiguration());
        camera->setActiveVideoMinFrameDuration(CMTimeMake(1, 7));
        camera->setActiveVideoMaxFrameDuration(CMTimeMake(1, 7));
        camera->unlockForConfiguration();
        camera->setFrameRateRangesForTesting(c.ranges);
        camera->setLockFailsForTesting(c.lockFails);
        controller.setFramerate(c.rate, camera);
        const int32_t expected = c.expected ? c.expected : 7;
        EXPECT_EQ(CMTimeCompare(camera->activeVideoMinFrameDuration(), CMTimeMake(1, expected)), 0);
        EXPECT_EQ(CMTimeCompare(camera->activeVideoMaxFrameDuration(), CMTimeMake(1, expected)), 0);
        camera->setLockFailsForTesting(false);
    }
    controller.setFramerate(30, nullptr);  // no device: nothing
}

TEST_F(VideoControllerTest, FramesSwapsFlashAndAudioOnTheClock) {
    VideoController controller;
    RecordingDelegate delegate;
    controller.setDelegate(&delegate);
    std::vector<CMSampleBufferRef> frames, audio;
    controller.setTarget([&](const CMSampleBufferRef& b) { frames.push_back(b); });
    controller.setAudioTarget([&](const CMSampleBufferRef& b) { audio.push_back(b); });
    controller.start();
    loop.advance(1.0 / 30);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(controller.videoFrameRate(), 0) << "one frame has no rate";
    EXPECT_EQ(controller.videoDimensions(), (CMVideoDimensions{160, 120}));
    EXPECT_EQ(controller.sessionPresetWidth(), 160);
    EXPECT_EQ(controller.videoType(), 0x41524742u) << "'BGRA' byte-reversed";
    loop.advance(1.0 / 30);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_NEAR(controller.videoFrameRate(), 30, 1e-9);

    // Flash on the back camera cycles off, auto, on; the front camera has none.
    std::vector<int64_t> modes{controller.flashMode()};
    for (int i = 0; i < 3; ++i) {
        controller.toggleFlashMode();
        modes.push_back(controller.flashMode());
    }
    EXPECT_EQ(modes, (std::vector<int64_t>{0, 2, 1, 0}));
    controller.toggleTorchMode();
    EXPECT_EQ(controller.torchMode(), 2);
    controller.lockFocusAndSetTorchMode(1);
    EXPECT_EQ(controller.torchMode(), 1);
    EXPECT_EQ(Camera(1)->focusMode(), 0);
    controller.restoreFocusAndSetTorchMode(0);
    EXPECT_EQ(Camera(1)->focusMode(), 2);
    EXPECT_TRUE(controller.hasFlash());

    controller.swapFrontAndBackCameras(false);
    EXPECT_EQ(delegate.will, std::vector<bool>{true});
    EXPECT_TRUE(delegate.did.empty()) << "told with the next frame";
    EXPECT_TRUE(controller.isFrontFacing());
    EXPECT_EQ(controller.currentCameraInput(), controller.frontCameraDeviceInput());
    EXPECT_EQ(controller.session()->inputs().size(), 1u);
    loop.advance(1.0 / 30);
    EXPECT_EQ(delegate.did, std::vector<bool>{true});
    EXPECT_EQ(frames.back()->imageBuffer()->width(), 80u) << "the front camera's frame";
    loop.advance(1.0 / 30);
    EXPECT_EQ(delegate.did.size(), 1u);
    EXPECT_EQ(controller.flashMode(), -1);
    controller.toggleFlashMode();
    EXPECT_EQ(controller.flashMode(), -1);
    EXPECT_EQ(controller.torchMode(), -1);
    EXPECT_TRUE(controller.hasFlash()) << "the back camera's, whichever is active";

    // Back again, with the video presets.
    controller.swapFrontAndBackCameras(true);
    EXPECT_EQ(controller.sessionPreset(), AVCaptureSessionPreset1920x1080);
    loop.advance(1.0 / 30);
    EXPECT_EQ(delegate.did, (std::vector<bool>{true, false}));
    EXPECT_EQ(frames.back()->imageBuffer()->height(), 90u);

    // Audio: on twice, then off; the video and still outputs stay in order.
    const std::vector<AVCaptureOutputRef> before = controller.session()->outputs();
    controller.enableAudioInput();
    controller.enableAudio(true);
    controller.enableAudio(true);
    EXPECT_EQ(controller.session()->outputs().size(), before.size() + 1);
    loop.advance(0.1);
    EXPECT_FALSE(audio.empty());
    controller.enableAudio(false);
    EXPECT_EQ(controller.session()->outputs(), before);
    const size_t heard = audio.size();
    loop.advance(0.1);
    EXPECT_EQ(audio.size(), heard);

    controller.stop();
    const size_t seen = frames.size();
    loop.advance(1);
    EXPECT_EQ(frames.size(), seen);
}

TEST_F(VideoControllerTest, ASwapWithoutTheOtherCameraDoesNothing) {
    CaptureRig::shared().removeDevice(AVCaptureDevicePositionFront);
    VideoController controller;
    RecordingDelegate delegate;
    controller.setDelegate(&delegate);
    const AVCaptureDeviceInputRef input = controller.currentCameraInput();
    controller.swapFrontAndBackCameras(false);
    EXPECT_TRUE(delegate.will.empty());
    EXPECT_EQ(controller.videoDevicePosition(), AVCaptureDevicePositionBack);
    EXPECT_EQ(controller.currentCameraInput(), input);
    EXPECT_EQ(controller.session()->inputs(), std::vector<AVCaptureDeviceInputRef>{input});
    controller.start();
    loop.advance(1.0 / 30);
    EXPECT_TRUE(delegate.did.empty());
}

TEST_F(VideoControllerTest, AFrameWhoseTimeStandsStillKeepsTheRate) {
    VideoController controller;
    CVPixelBufferRef pixels;
    ASSERT_EQ(CVPixelBufferCreate(4, 4, kCVPixelFormatType_32BGRA, &pixels), kCVReturnSuccess);
    AVCaptureVideoDataOutput output;
    AVCaptureConnection connection(&output);
    for (const CMTime t : {CMTimeMake(0, 600), CMTimeMake(25, 600), CMTimeMake(25, 600), CMTimeMake(20, 600)}) {
        controller.captureOutputDidOutputSampleBuffer(output, CMSampleBuffer::videoFrame(pixels, t, kCMTimeInvalid),
                                                      connection);
        EXPECT_TRUE(std::isfinite(controller.videoFrameRate()));
        EXPECT_GE(controller.videoFrameRate(), 0);
    }
    EXPECT_NEAR(controller.videoFrameRate(), 24, 1e-9) << "the last rate that could be measured";
}

}  // namespace
