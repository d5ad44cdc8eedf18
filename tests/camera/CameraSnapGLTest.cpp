// Snaps through the camera view on the simulated rig and real GL: the square cut from the
// middle, a failed capture answering once with nothing, and snap-and-save landing the
// pictures in a real library with the save's answer given once, after the last save.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "CameraRigFixture.h"
#include "StillPicture.h"
#include "camera/capture/CameraController.h"
#include "camera/capture/VideoController.h"
#include "engine/view/GraphicsView.h"
#include "model/AmbrelAppSettings.h"
#include "platform/mediaplayer/MPMusicPlayerController.h"
#include "platform/uikit/UIApplication.h"
#include "platform/authorization/AuthorizationStore.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/uikit/UIWindow.h"
#include "support/TouchHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;

class CameraSnapTest : public CameraRigFixture {
protected:
    void SetUp() override {
        CameraRigFixture::SetUp();
        char pattern[] = "/tmp/tavorin-snap-XXXXXX";
        root = ::mkdtemp(pattern);
        for (const char* var : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) ::setenv(var, root.c_str(), 1);
        ::unsetenv("TAVORIN_PHOTO_LIBRARY");
        AuthorizationStore::resetShared();
        AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
        PHPhotoLibrary::resetSharedPhotoLibrary();
        CameraController::installInGraphicsViews();
        view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 60, 80));
        ASSERT_NE(view->graphicsController(), nullptr) << "no OpenGL ES 2 context";
    }
    void TearDown() override {
        view.reset();
        AmbrelAppSettings::sharedInstance().setSaveOriginal(false);
        PHPhotoLibrary::resetSharedPhotoLibrary();
        AuthorizationStore::resetShared();
        CameraRigFixture::TearDown();
        fs::remove_all(root);
    }
    // Runs the main queue until `done` holds; the album writes end on other threads. The first
    // frame compiles every shader under the sanitizers, which on a busy machine takes well over
    // half a minute: the wait only gives up on a capture that never ends.
    template <typename Done>
    bool PumpUntil(Done done) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(180);
        while (!done()) {
            if (std::chrono::steady_clock::now() > giveUp) return false;
            loop.advance(0.05);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    size_t PhotosInLibrary() {
        return PHAsset::fetchAssetsWithOptions({}, PHPhotoLibrary::sharedPhotoLibrary())->count();
    }

    // The view's camera side: its capture controller, focus, snaps and movie player.
    CameraController& Camera() { return CameraController::of(*view); }
    std::shared_ptr<GraphicsView> view;
    fs::path root;
};

TEST_F(CameraSnapTest, TheSquareIsCutFromTheMiddle) {
    // Column 408 marked: the first column of the square.
    std::vector<uint8_t> pixels(3264 * 2448 * 4, 0);
    for (size_t y = 0; y < 2448; ++y) pixels[(y * 3264 + 408) * 4] = 255;
    const UIImagePtr image = UIImage::imageWithCGImage(
        CGImageCreate(3264, 2448, 8, 32, 3264 * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, pixels));
    EXPECT_EQ(Camera().croppedImage(image), image) << "unchanged while the square is off";
    view->setSquareAspectRatio(true);
    const UIImagePtr square = Camera().croppedImage(image);
    ASSERT_TRUE(square);
    const CGImageRef& cg = square->CGImage();
    EXPECT_EQ(CGImageGetWidth(cg), 2448u);
    EXPECT_EQ(CGImageGetHeight(cg), 2448u);
    const auto data = CGImageGetData(cg);
    EXPECT_EQ((*data)[0], 255) << "starts at column 408";
    EXPECT_EQ((*data)[4], 0);
}

TEST_F(CameraSnapTest, ASquareSnapOfTheRunningCamera) {
    view->setSquareAspectRatio(true);
    view->startVideoController();
    std::vector<UIImagePtr> images;
    Camera().snap([&](const UIImagePtr& image, const std::optional<ImageProperties>& metadata, const NSErrorPtr&) {
        images.push_back(image);
        EXPECT_TRUE(metadata);
    });
    loop.advance(1.0);
    view->stopVideoController();
    ASSERT_EQ(images.size(), 1u);
    ASSERT_TRUE(images[0]);
    EXPECT_EQ(CGImageGetWidth(images[0]->CGImage()), CGImageGetHeight(images[0]->CGImage()));
}

TEST_F(CameraSnapTest, AFailedSnapAnswersOnceWithNothingAndSavesNothing) {
    // The camera is not running: the still cannot be taken.
    int snaps = 0;
    Camera().snap(
        [&](const UIImagePtr& image, const std::optional<ImageProperties>& metadata, const NSErrorPtr& error) {
            ++snaps;
            EXPECT_FALSE(image);
            EXPECT_FALSE(metadata);
            ASSERT_TRUE(error) << "the reason comes with it";
            EXPECT_EQ(error->localizedFailureReason(), "The camera is not running.");
        });
    std::vector<bool> taken, saved;
    Camera().snapAndSave([&](bool t) { taken.push_back(t); }, [&](bool s) { saved.push_back(s); });
    loop.advance(1.0);
    EXPECT_EQ(snaps, 1);
    EXPECT_EQ(taken, std::vector<bool>{false});
    EXPECT_EQ(saved, std::vector<bool>{false});
    EXPECT_EQ(PhotosInLibrary(), 0u);
}

TEST_F(CameraSnapTest, SnapAndSaveLandsThePicturesAndAnswersOnceAfterTheLastSave) {
    struct Case {
        const char* name;
        bool processed, saveOriginal;
        size_t photos;
    } cases[] = {{"original only", false, false, 1},
                 {"processed only", true, false, 1},
                 {"original, then processed", true, true, 2}};
    view->startVideoController();
    size_t before = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (view->hdrEnabled() != c.processed) view->toggleHDR();
        AmbrelAppSettings::sharedInstance().setSaveOriginal(c.saveOriginal);
        std::vector<bool> taken, saved;
        Camera().snapAndSave([&](bool t) { taken.push_back(t); }, [&](bool s) { saved.push_back(s); });
        ASSERT_TRUE(PumpUntil([&] { return !saved.empty(); }));
        loop.advance(0.5);
        EXPECT_EQ(taken, std::vector<bool>{true});
        EXPECT_EQ(saved, std::vector<bool>{true});
        EXPECT_EQ(PhotosInLibrary(), before + c.photos);
        before = PhotosInLibrary();
    }
    view->stopVideoController();
}

TEST_F(CameraSnapTest, CaptureAndSaveLandsOneJPEGAndAnswersOnceAlsoWhenNothingWasTaken) {
    VideoController& controller = Camera().videoController();
    std::vector<bool> saved;
    controller.captureAndSaveStillImage(1, 1.0, [&](bool s) { saved.push_back(s); });
    loop.advance(1.0);
    EXPECT_EQ(saved, std::vector<bool>{false}) << "the camera is not running";
    EXPECT_EQ(PhotosInLibrary(), 0u);

    view->startVideoController();
    saved.clear();
    controller.captureAndSaveStillImage(3, 2.0, [&](bool s) { saved.push_back(s); });
    ASSERT_TRUE(PumpUntil([&] { return !saved.empty(); }));
    loop.advance(0.5);
    EXPECT_EQ(saved, std::vector<bool>{true});
    EXPECT_EQ(PhotosInLibrary(), 1u);
    EXPECT_EQ(controller.stillImageCaptureVideoConnection()->videoOrientation(), 3);
    view->stopVideoController();
}

TEST_F(CameraSnapTest, TheShutterGivesAnUprightStillWithItsMetadataInEveryOrientationWithBothCameras) {
    view->startVideoController();
    loop.advance(0.5);
    for (const bool front : {false, true}) {
        if (Camera().videoController().isFrontFacing() != front) {
            view->swapFrontAndBackFacing();
            loop.advance(0.5);
        }
        ASSERT_EQ(Camera().videoController().isFrontFacing(), front);
        for (int orientation = 1; orientation <= 4; ++orientation) {
            SCOPED_TRACE(std::string(front ? "front" : "back") + " orientation " + std::to_string(orientation));
            UIDeviceProfile profile = UIDeviceProfile::current();
            profile.orientation = static_cast<UIDeviceOrientation>(orientation);
            UIDeviceProfile::setCurrent(profile);
            std::vector<std::pair<UIImagePtr, std::optional<ImageProperties>>> snaps;
            Camera().captureSnap(nullptr, [&](const UIImagePtr& image, const std::optional<ImageProperties>& metadata,
                                              const NSErrorPtr&) { snaps.emplace_back(image, metadata); });
            loop.advance(3.0);
            ASSERT_EQ(snaps.size(), 1u);
            const auto& [image, metadata] = snaps[0];
            ASSERT_TRUE(image);
            ASSERT_TRUE(metadata);
            const int64_t w = static_cast<int64_t>(CGImageGetWidth(image->CGImage()));
            const int64_t h = static_cast<int64_t>(CGImageGetHeight(image->CGImage()));
            EXPECT_EQ(orientation <= 2, h > w) << "the picture stands as the phone was held";
            EXPECT_EQ(StillCorners(image), "0123") << "upright and unmirrored";
            EXPECT_EQ(StillEntry(*metadata, nullptr, kCGImagePropertyOrientation), 1);
            EXPECT_EQ(StillEntry(*metadata, kCGImagePropertyExifDictionary, "PixelXDimension"), w);
            EXPECT_EQ(StillEntry(*metadata, kCGImagePropertyExifDictionary, "PixelYDimension"), h);
            EXPECT_TRUE(
                ImagePropertyFind(*metadata, kCGImagePropertyExifDictionary, kCGImagePropertyExifDateTimeOriginal))
                << "the moment taken";
        }
    }
    view->stopVideoController();
}

TEST_F(CameraSnapTest, TheVolumeButtonsAreAShutterOnlyWhileTheCameraRuns) {
    const auto window = std::make_shared<UIWindow>(CGRect{{0, 0}, {320, 568}});
    window->makeKeyWindow();
    int requests = 0;
    view->setCameraSnapRequestBlock([&requests] { ++requests; });
    const auto press = [this] {
        MPMusicPlayerController::applicationMusicPlayer().pressVolumeButton(true);
        loop.advance(1.0);
    };
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        view->startVideoController();
        loop.advance(1.0);
        press();
        EXPECT_EQ(requests, run + 1) << "one request per press";
        view->stopVideoController();
        press();
        EXPECT_EQ(requests, run + 1) << "none while the camera is stopped";
    }
}

TEST_F(CameraSnapTest, EachPinchZoomsFromWhereItStartsWithinOneToFive) {
    TouchHarness ui;
    view->setFrame(CGRectMake(0, 0, 320, 480));
    view->setMultipleTouchEnabled(true);
    ui.window->addSubview(view);
    view->startVideoController();
    // Two fingers about (160, 240) from `from` to `to` points apart.
    const auto pinch = [&ui](CGFloat from, CGFloat to) {
        const auto fingers = [](UITouchPhase phase, CGFloat spread) {
            return std::vector<UITouchReport>{{7, phase, {160 - spread / 2, 240}, 1, 1},
                                              {8, phase, {160 + spread / 2, 240}, 1, 1}};
        };
        ui.driver->sendTouches(fingers(UITouchPhase::Began, from));
        for (int i = 1; i <= 10; ++i) {
            ui.advance(0.05);
            ui.driver->sendTouches(fingers(UITouchPhase::Moved, from + (to - from) * i / 10));
        }
        ui.driver->sendTouches(fingers(UITouchPhase::Ended, to));
        ui.advance(0.1);
    };
    struct Case {
        CGFloat from, to;
        double zoom;
    } cases[] = {{100, 200, 2.0}, {100, 150, 3.0}, {50, 200, 5.0}, {200, 50, 1.25}, {200, 20, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
        pinch(c.from, c.to);
        EXPECT_NEAR(view->cameraZoomScale(), c.zoom, 1e-9);
    }
    pinch(100, 250);  // 2.5
    Camera().snap(nullptr);
    EXPECT_NEAR(Camera().videoController().stillImageCaptureVideoConnection()->videoScaleAndCropFactor(), 2.5, 1e-9)
        << "the still is cropped by the zoom";
    loop.advance(1.0);
    view->stopVideoController();
    EXPECT_EQ(view->cameraZoomScale(), 1.0);
    pinch(100, 200);
    EXPECT_EQ(view->cameraZoomScale(), 1.0) << "no zoom while the camera is stopped";
    view->removeFromSuperview();
}

TEST_F(CameraSnapTest, TheShutterHoldsTouchesUntilTheFocusSettlesGivesUpOrTheCameraStops) {
    struct Case {
        const char* name;
        double settle;   // seconds the focus takes; infinity never settles
        double stopAt;   // the camera stopped then (infinity: never)
        double blockAt;  // when the shutter's block runs
        bool image;
    } cases[] = {{"settles", 0.5, INFINITY, 0.5, true},
                 {"never settles: gives up", INFINITY, INFINITY, 2.0, true},
                 {"camera stopped mid-wait", INFINITY, 0.3, 0.3, false}};
    const float realtime = GraphicsView::useRealtimeNoiseReduction() ? 1.0f : 0.0f;
    UIApplication& app = UIApplication::sharedApplication();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->startVideoController();
        loop.advance(0.5);
        VideoController& controller = Camera().videoController();
        const AVCaptureDeviceRef device = controller.cameraWithPosition(controller.videoDevicePosition());
        device->setSettleTimeForTesting(c.settle);
        ASSERT_TRUE(device->lockForConfiguration());
        device->setFocusMode(2);
        device->unlockForConfiguration();
        ASSERT_TRUE(device->isAdjustingFocus());

        const double start = loop.now();
        double blockRan = -1;
        int completions = 0;
        bool gotImage = false;
        float noiseReductionInCompletion = -1;
        Camera().captureSnap([&] { blockRan = loop.now() - start; },
                             [&](const UIImagePtr& image, const std::optional<ImageProperties>&, const NSErrorPtr&) {
                                 ++completions;
                                 gotImage = image != nullptr;
                                 noiseReductionInCompletion = view->getAdjustment("NR On/Off");
                             });
        EXPECT_TRUE(app.isIgnoringInteractionEvents()) << "touches held while the focus moves";
        for (double t = 0.1; t <= 3.0 + 1e-9; t += 0.1) {
            loop.advance(0.1);
            if (std::abs(t - c.stopAt) < 1e-9) view->stopVideoController();
            if (t < c.blockAt - 1e-9) {
                EXPECT_LT(blockRan, 0) << "at " << t;
                EXPECT_TRUE(app.isIgnoringInteractionEvents()) << "at " << t;
            }
        }
        EXPECT_NEAR(blockRan, c.blockAt, 0.11);
        EXPECT_FALSE(app.isIgnoringInteractionEvents()) << "touches taken again";
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(gotImage, c.image);
        EXPECT_EQ(noiseReductionInCompletion, 1.0f) << "the still at full quality";
        view->startVideoController();
        EXPECT_EQ(view->getAdjustment("NR On/Off"), realtime) << "the preview back to its own";
        view->stopVideoController();
        device->setSettleTimeForTesting(0);
    }
}

TEST_F(CameraSnapTest, ATapFocusesAndExposesOnceAtItsDevicePoint) {
    TouchHarness ui;
    view->setFrame(CGRectMake(0, 0, 320, 480));
    ui.window->addSubview(view);
    VideoController& controller = Camera().videoController();
    const AVCaptureDeviceRef device = controller.cameraWithPosition(controller.videoDevicePosition());
    const auto tapAt = [&](CGFloat x, CGFloat y) {
        ui.tap(x, y);
        ui.advance(0.5);
        EXPECT_EQ(device->focusMode(), 1) << "focus once, then hold";
        EXPECT_EQ(device->exposureMode(), 1);
        EXPECT_EQ(device->focusPointOfInterest(), device->exposurePointOfInterest());
        return device->focusPointOfInterest();
    };
    EXPECT_EQ(Camera().viewPointToDevicePointOfInterest(CGPointMake(40, 400)), CGPointMake(0.5, 0.5))
        << "before the first frame: the centre";
    view->startVideoController();
    loop.advance(0.5);  // frames give the sizes
    const CGPoint centre = tapAt(160, 240);
    view->setCameraZoomScale(2.0);
    const CGPoint zoomedCentre = tapAt(160, 240);
    EXPECT_NEAR(zoomedCentre.x, centre.x, 1e-9) << "the zoom keeps the centre";
    EXPECT_NEAR(zoomedCentre.y, centre.y, 1e-9);
    view->setCameraZoomScale(1.0);
    // The sensor lies across the portrait view: lower in the view is further along its first axis.
    const CGPoint high = tapAt(300, 10), low = tapAt(10, 470);
    EXPECT_LT(high.x, low.x);
    EXPECT_LT(high.y, low.y);
    for (const CGPoint p : {centre, high, low}) {
        EXPECT_TRUE(p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1) << p.x << ", " << p.y;
    }
    view->stopVideoController();
    const CGPoint before = device->focusPointOfInterest();
    ui.tap(160, 240);
    ui.advance(0.5);
    EXPECT_EQ(device->focusPointOfInterest(), before) << "no focus while the camera is stopped";
    view->removeFromSuperview();
}

}  // namespace
