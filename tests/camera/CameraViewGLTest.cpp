// The camera view with the simulated camera on the manual clock and real GL: start and stop
// in their order (noise reduction, render loop, controller), frames that reach the engine and
// are presented with the scene's corner markers where the scene has them (back camera,
// portrait), mirrored (front) or a quarter turned (device in landscape), and the swap.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "CameraRigFixture.h"
#include "MovieFiles.h"
#include "camera/capture/CameraController.h"
#include "camera/capture/VideoController.h"
#include "camera/movie/VideoAssetController.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"
#include "platform/avfoundation/SimulatedCamera.h"

namespace {

using namespace platform;

class CountingDelegate : public GraphicsViewDelegate {
public:
    int nextImages = 0;
    void graphicsViewDidGetNextImage(GraphicsView&) override { ++nextImages; }
};

class CameraViewTest : public CameraRigFixture {
protected:
    void SetUp() override {
        CameraRigFixture::SetUp();
        CameraController::installInGraphicsViews();
        view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 60, 80));
        ASSERT_NE(view->graphicsController(), nullptr) << "no OpenGL ES 2 context";
        view->setDelegate(&delegate);
    }
    void TearDown() override {
        view.reset();
        CameraRigFixture::TearDown();
    }
    // The marker (0 top left, 1 top right, 2 bottom left, 3 bottom right of the scene) whose
    // colour the presented frame shows near a corner of the screen, or -1.
    int MarkerAt(bool right, bool bottom) {
        const CAEAGLLayerContents& shown = view->eaglLayer().presentedContents();
        const int x = right ? shown.width * 95 / 100 : shown.width * 5 / 100;
        const int y = bottom ? shown.height * 95 / 100 : shown.height * 5 / 100;
        const uint8_t* rgba = shown.pixels.data() + (static_cast<size_t>(y) * shown.width + x) * 4;
        for (int m = 0; m < 4; ++m) {
            const uint8_t* bgr = SimulatedCamera::kMarkers[m];
            bool match = true;
            for (int c = 0; c < 3; ++c) match = match && (bgr[2 - c] > 128) == (rgba[c] > 128);
            if (match) return m;
        }
        return -1;
    }
    std::string Corners() {
        std::string s;
        for (auto [right, bottom] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}})
            s += std::to_string(MarkerAt(right, bottom));
        return s;
    }
    float NoiseReduction() { return view->getAdjustment("NR On/Off"); }

    // The view's camera side: its capture controller, focus, snaps and movie player.
    CameraController& Camera() { return CameraController::of(*view); }
    std::shared_ptr<GraphicsView> view;
    CountingDelegate delegate;
};

TEST_F(CameraViewTest, StartAndStopInTheirOrder) {
    view->stopVideoController();
    EXPECT_EQ(NoiseReduction(), 1.0f);
    view->startVideoController();
    EXPECT_EQ(NoiseReduction(), GraphicsView::useRealtimeNoiseReduction() ? 1.0f : 0.0f);
    EXPECT_TRUE(view->isAnimating());
    EXPECT_TRUE(Camera().videoController().session()->isRunning());
    EXPECT_TRUE(view->notifyNextImage());
    EXPECT_TRUE(view->graphicsController()->frontFacing) << "the back camera";

    loop.advance(1.0 / 30);
    EXPECT_EQ(delegate.nextImages, 1);
    EXPECT_EQ(view->nativeVideoDimensions().width, 160);
    EXPECT_EQ(view->nativeVideoDimensions().height, 120);
    EXPECT_EQ(Camera().videoController().videoType(), 0x41524742u);

    view->stopVideoController();
    EXPECT_FALSE(view->isAnimating());
    EXPECT_FALSE(Camera().videoController().session()->isRunning());
    EXPECT_EQ(NoiseReduction(), 1.0f);
    loop.advance(1);
    EXPECT_EQ(delegate.nextImages, 1);
}

// A camera that records the calls it gets, with what the view had done by then.
class RecordingCamera : public GraphicsViewCamera {
public:
    RecordingCamera(GraphicsView& view, std::vector<std::string>& log) : view_(view), log_(log) {}
    bool isFrontFacing() const override { return false; }
    void start() override { note("start"); }
    void stop() override { note("stop"); }
    void swapFrontAndBackCameras(bool video) override { note(video ? "swap video" : "swap"); }
    int64_t flashMode() const override { return 0; }
    void setFlashMode(int64_t) override {}
    void enableFocus() override { note("focus on"); }
    void disableFocus() override { note("focus off"); }
    void enableZoom() override { note("zoom on"); }
    void disableZoom() override { note("zoom off"); }
    void resetFocusView() override { note("reset focus"); }
    void setSquareAspectRatioHidden(bool hidden) override { note(hidden ? "overlay hidden" : "overlay shown"); }
    void cameraSnapRequestsEnabled(bool enabled) override { note(enabled ? "shutter on" : "shutter off"); }

private:
    void note(const std::string& what) { log_.push_back(what + (view_.isAnimating() ? " (loop)" : "")); }
    GraphicsView& view_;
    std::vector<std::string>& log_;
};

TEST_F(CameraViewTest, StartAndStopStepsComeInTheirOrder) {
    std::vector<std::string> log;
    GraphicsView::setCameraMaker([&](GraphicsView& v) { return std::make_unique<RecordingCamera>(v, log); });
    auto ordered = std::make_shared<GraphicsView>(CGRectMake(0, 0, 30, 40));
    ordered->startVideoController();
    ordered->swapFrontAndBackFacing();
    ordered->stopVideoController();
    // The render loop starts after the controller and stops before everything else.
    EXPECT_EQ(log, (std::vector<std::string>{"focus on", "zoom on", "overlay shown", "shutter on", "start",
                                             "swap (loop)", "reset focus (loop)", "focus off", "zoom off",
                                             "overlay hidden", "shutter off", "stop"}));
    EXPECT_FALSE(ordered->isAnimating());
    ordered.reset();
    CameraController::installInGraphicsViews();
}

TEST_F(CameraViewTest, PresentedFramesShowTheSceneTheWayTheCameraSeesIt) {
    struct Case {
        const char* name;
        bool front;
        int deviceOrientation;
        const char* corners;  // scene markers at the screen's TL, TR, BL, BR
    } cases[] = {
        {"back, portrait", false, 1, "0123"},
        {"front, portrait: mirrored", true, 1, "1032"},
        {"back, landscape: a quarter turned", false, 3, "2031"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UIDeviceProfile profile = UIDeviceProfile::current();
        profile.orientation = static_cast<UIDeviceOrientation>(c.deviceOrientation);
        UIDeviceProfile::setCurrent(profile);
        int swapped = 0;
        view->setCameraSwappedBlock([&] { ++swapped; });
        view->startVideoController();
        if (c.front != Camera().videoController().isFrontFacing()) {
            view->swapFrontAndBackFacing();
            loop.advance(1.0 / 30);
            EXPECT_EQ(swapped, 1);
            EXPECT_EQ(view->graphicsController()->frontFacing, !c.front) << "the engine's flag is for the back";
        }
        loop.advance(0.2);
        EXPECT_EQ(Corners(), c.corners);
        view->stopVideoController();
    }
}

TEST_F(CameraViewTest, FlashAndAMissingCamera) {
    EXPECT_EQ(view->flashMode(), 0);
    view->setFlashMode(2);
    EXPECT_EQ(view->flashMode(), 2);
    view->swapFrontAndBackFacing();
    EXPECT_EQ(view->flashMode(), -1) << "the front camera has none";

    CaptureRig::shared().configure("none");
    auto bare = std::make_shared<GraphicsView>(CGRectMake(0, 0, 30, 40));
    bare->startVideoController();
    EXPECT_EQ(CameraController::of(*bare).videoController().session(), nullptr);
    EXPECT_FALSE(DeviceUtility::hasCameraConnection());
    EXPECT_FALSE(UIDeviceProfile::current().cameraAvailable);
    bare->swapFrontAndBackFacing();
    bare->setFlashMode(1);
    EXPECT_EQ(bare->flashMode(), -1);
    loop.advance(0.2);
    EXPECT_TRUE(bare->currentImageSize().width == 0);
    bare->stopVideoController();
}

}  // namespace

namespace {

// The real-device path into the view: a lavfi test source on the real clock, frames within a
// generous bound (a stalled reader, not a speed check).
TEST(CameraViewLibavTest, ATestSourceReachesTheView) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useRealClock();
    std::string error;
    if (!platform::CaptureRig::shared().configure("lavfi:testsrc2=size=320x240:rate=30", &error))
        GTEST_SKIP() << "no lavfi input: " << error;
    CameraController::installInGraphicsViews();
    auto view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 30, 40));
    ASSERT_NE(view->graphicsController(), nullptr) << "no OpenGL ES 2 context";
    CountingDelegate delegate;
    view->setDelegate(&delegate);
    view->startVideoController();
    // One pass at a time: with the display link drawing, the loop is never idle.
    const double limit = loop.now() + 30;
    while (delegate.nextImages == 0 && loop.now() < limit)
        if (!loop.runOnce()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(delegate.nextImages, 1);
    EXPECT_EQ(view->nativeVideoDimensions().width, 320);
    EXPECT_EQ(view->nativeVideoDimensions().height, 240);
    view->stopVideoController();
    view.reset();
    platform::CaptureRig::shared().configure("simulated");
}

}  // namespace

// The view's movie player: its first frame shows as a still through the engine, then playing
// feeds the engine frame after frame; frames reach the view only while it takes movie frames.
TEST_F(CameraViewTest, MoviePlayerFeedsTheEngine) {
    const std::string movie =
        (std::filesystem::temp_directory_path() / ("tavorin-view-movie-" + std::to_string(::getpid()) + ".mov"))
            .string();
    WriteTestMovie(movie, {.width = 96, .height = 64, .frames = 30});
    VideoAssetController& player = Camera().videoAssetController();
    EXPECT_EQ(&player, &Camera().videoAssetController()) << "made once";

    player.setUrl(movie);
    EXPECT_EQ(view->currentImageSize().width, 0) << "not taking movie frames";
    view->setImageFromAsset(true);
    player.setUrl(movie);
    EXPECT_EQ(view->currentImageSize().width, 96);
    EXPECT_EQ(view->currentImageSize().height, 64);
    const CAEAGLLayerContents& shown = view->eaglLayer().presentedContents();
    ASSERT_GT(shown.width, 0);
    const uint8_t* centre =
        shown.pixels.data() + (static_cast<size_t>(shown.height / 2) * shown.width + shown.width / 2) * 4;
    EXPECT_GT(centre[0], centre[2] + 100) << "the red still";

    const auto latestInput = [this] {
        double latest = -1;
        for (const auto& input : view->graphicsController()->inputTextures)
            if (input.time.timescale > 0)
                latest = std::max(latest, static_cast<double>(input.time.value) / input.time.timescale);
        return latest;
    };
    EXPECT_EQ(latestInput(), 0);
    view->startAnimation();
    player.start();
    loop.advance(0.5);
    EXPECT_GT(latestInput(), 0.3) << "later frames entered";
    player.stop();
    view->stopAnimation();
    std::filesystem::remove(movie);
}
