// The graphics view on a real device, with the main run loop on the manual clock: the display
// link follows the render loop and the application's life cycle, sizing reaches the engine
// only on a change, photos and camera frames become the engine's input and are drawn into the
// layer, renders to images leave the preview's filter scale alone and show the window between
// their passes, the display controls, and the parameters by name with their defaults and caches.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../FakeVideoRecorder.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/RenderPasses.h"
#include "engine/view/GraphicsContentView.h"
#include "support/TouchHarness.h"
#include "ui/animation/PortraitAlignedView.h"
#include "engine/view/GraphicsView.h"
#include "model/GraphicsTypeController.h"
#include "engine/view/UIImageData.h"
#include "gpu/Device.h"
#include "gpu/Shader.h"
#include "model/DeviceUtility.h"
#include "platform/corevideo/CVPixelBuffer.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/opengles/GLES.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIHostWindow.h"

namespace {

constexpr double kRefresh = 1 / 60.0;

// A photo of one colour (R, G, B, A bytes).
UIImagePtr SolidImage(std::size_t w, std::size_t h, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> bytes(w * h * 4);
    for (std::size_t i = 0; i < w * h; ++i) {
        bytes[i * 4] = r, bytes[i * 4 + 1] = g, bytes[i * 4 + 2] = b, bytes[i * 4 + 3] = 255;
    }
    return UIImage::imageWithCGImage(
        CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, std::move(bytes)));
}

CameraSampleBuffer CameraFrame(std::size_t w, std::size_t h, int64_t time) {
    CameraSampleBuffer frame;
    EXPECT_EQ(platform::CVPixelBufferCreate(w, h, platform::kCVPixelFormatType_32BGRA, &frame.pixelBuffer),
              platform::kCVReturnSuccess);
    frame.presentationTime = sFrameTime::Make(time, 600);
    return frame;
}

class RecordingDelegate : public GraphicsViewDelegate {
public:
    int didGetImage = 0, didGetNextImage = 0, touchesBegan = 0, touchesEnded = 0, colors = 0;
    void graphicsViewDidGetImage(GraphicsView&) override { ++didGetImage; }
    void graphicsViewDidGetNextImage(GraphicsView&) override { ++didGetNextImage; }
    void graphicsViewTouchesBegan(GraphicsView&, const UITouchSet&) override { ++touchesBegan; }
    void graphicsViewTouchesEnded(GraphicsView&, const UITouchSet&) override { ++touchesEnded; }
    void graphicsViewAverageColorChanged(GraphicsView&, const UIColor&) override { ++colors; }
};

class GraphicsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop.useManualClock(1);
        view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 32, 24));
        ASSERT_NE(view->device(), nullptr) << "no OpenGL ES 2 context";
        ASSERT_NE(view->graphicsController(), nullptr);
    }
    void TearDown() override {
        view.reset();
        loop.useRealClock();
    }
    AmbrelGraphicsController& engine() { return *view->graphicsController(); }
    const platform::CAEAGLLayerContents& shown() { return view->eaglLayer().presentedContents(); }
    // Runs the loop over `n` display refreshes.
    void Refresh(int n = 1) { loop.advance(n * kRefresh + 1e-9); }
    // A change that makes the engine draw again at the next frame.
    void Touch() { view->setAdjustment("CA Exposure", engine().frameDirty ? 0.6f : 0.55f); }
    bool HasTime(int64_t value) {
        for (const sInputTexture& t : engine().inputTextures)
            if (t.time.value == value) return true;
        return false;
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::shared_ptr<GraphicsView> view;
};

// ---- Creation and the frame loop --------------------------------------------------------------

TEST_F(GraphicsViewTest, CreatesDeviceAndEngineOnItsGLLayer) {
    EXPECT_EQ(GraphicsView::sharedInstance(), view.get());
    EXPECT_NE(dynamic_cast<platform::CAEAGLLayer*>(view->layer().get()), nullptr);
    const double scale = AppConstants::defaultContentScale();
    EXPECT_EQ(view->contentScaleFactor(), scale);
    EXPECT_EQ(engine().viewRect[2], static_cast<int>(32 * scale));
    EXPECT_EQ(engine().viewRect[3], static_cast<int>(24 * scale));
    EXPECT_EQ(engine().maxTextureSize, DeviceUtility::hasHighMemory() ? 768 : 384);
    EXPECT_TRUE(view->hdrEnabled());
    EXPECT_FALSE(view->isAnimating());
    EXPECT_EQ(view->animationFrameInterval(), 1);
    EXPECT_GT(GraphicsView::maxTextureSize(), 0);
    view.reset();
    EXPECT_EQ(GraphicsView::sharedInstance(), nullptr) << "cleared when the view goes away";
}

TEST_F(GraphicsViewTest, DisplayLinkFollowsTheRenderLoopAndDrawsEachRefresh) {
    view->setImageWithImage(SolidImage(8, 6, 200, 40, 40));
    const uint64_t drawnOnce = shown().presentCount;
    ASSERT_GE(drawnOnce, 1u) << "a new photo is drawn at once";

    // Stopped: a change waits for an explicit draw.
    Touch();
    Refresh(3);
    EXPECT_TRUE(engine().frameDirty);
    EXPECT_EQ(shown().presentCount, drawnOnce);

    view->startAnimation();
    const auto link = view->displayLink();
    view->startAnimation();
    EXPECT_EQ(view->displayLink(), link) << "one link only";
    EXPECT_EQ(loop.pendingTimerCount(), 1u);
    Refresh();
    EXPECT_FALSE(engine().frameDirty);
    EXPECT_EQ(shown().presentCount, drawnOnce + 1);
    Refresh(2);
    EXPECT_EQ(shown().presentCount, drawnOnce + 1) << "nothing waiting, nothing drawn";

    // An interval of 0 is refused; 2 restarts the running link.
    view->setAnimationFrameInterval(0);
    EXPECT_EQ(view->animationFrameInterval(), 1);
    view->setAnimationFrameInterval(2);
    ASSERT_TRUE(view->isAnimating());
    EXPECT_NE(view->displayLink(), link);
    EXPECT_EQ(view->displayLink()->frameInterval(), 2);
    EXPECT_FALSE(link->isValid());
    EXPECT_EQ(loop.pendingTimerCount(), 1u);

    view->stopAnimation();
    view->stopAnimation();
    EXPECT_FALSE(view->isAnimating());
    EXPECT_EQ(view->displayLink(), nullptr);
    EXPECT_EQ(loop.pendingTimerCount(), 0u);
}

TEST_F(GraphicsViewTest, ResignAndBecomeActiveResumeOnlyARunningLoop) {
    struct Case {
        bool running;
        bool runningAfterResign, runningAfterBecome;
    };
    for (const Case c : {Case{false, false, false}, Case{true, false, true}}) {
        SCOPED_TRACE(c.running ? "running" : "stopped");
        if (c.running) view->startVideoController();
        view->applicationWillResignActive();
        EXPECT_EQ(view->isAnimating(), c.runningAfterResign);
        EXPECT_EQ(loop.pendingTimerCount(), c.runningAfterResign ? 1u : 0u);
        view->applicationWillEnterForeground();
        view->applicationDidBecomeActive();
        EXPECT_EQ(view->isAnimating(), c.runningAfterBecome);
        EXPECT_EQ(loop.pendingTimerCount(), c.runningAfterBecome ? 1u : 0u);
        view->applicationDidBecomeActive();  // a second one changes nothing
        EXPECT_EQ(view->isAnimating(), c.runningAfterBecome);
        view->stopVideoController();
    }
}

TEST_F(GraphicsViewTest, BackgroundFreesWorkingTexturesAndTheNextFrameRecreatesThem) {
    view->setImageWithImage(SolidImage(8, 6, 40, 200, 40));
    ASSERT_NE(engine().workTextures[0], nullptr);
    view->applicationDidEnterBackground();
    EXPECT_EQ(engine().workTextures[0], nullptr);
    Touch();
    view->drawView();
    EXPECT_NE(engine().workTextures[0], nullptr);
}

TEST_F(GraphicsViewTest, AFrameOfTheSameSizeIsANoOpANewSizeReachesTheEngine) {
    const double scale = view->contentScaleFactor();
    engine().inputReconfigureRequested = false;
    view->setFrame(CGRectMake(5, 7, 32, 24));  // moved, same size and scale
    EXPECT_FALSE(engine().inputReconfigureRequested);
    view->setFrameWithContentScale(CGRectMake(5, 7, 32, 24), scale);
    EXPECT_FALSE(engine().inputReconfigureRequested);

    view->setFrame(CGRectMake(0, 0, 20, 30));
    EXPECT_TRUE(engine().inputReconfigureRequested);
    EXPECT_EQ(engine().viewRect[2], static_cast<int>(20 * scale));
    EXPECT_EQ(engine().viewRect[3], static_cast<int>(30 * scale));
    // Laid out at the end of the turn: the on-screen buffers take the new size.
    view->setImageWithImage(SolidImage(8, 6, 90, 90, 90));
    loop.runOnce();
    Touch();
    view->drawView();
    EXPECT_EQ(shown().width, static_cast<int>(20 * scale));
    EXPECT_EQ(shown().height, static_cast<int>(30 * scale));

    engine().inputReconfigureRequested = false;
    view->setFrameWithContentScale(CGRectMake(0, 0, 20, 30), 1.0);  // same size, new scale
    EXPECT_TRUE(engine().inputReconfigureRequested);
    EXPECT_EQ(view->contentScaleFactor(), 1.0);
    EXPECT_EQ(engine().viewRect[2], 20);
    EXPECT_EQ(engine().viewRect[3], 30);

    // A scale that is not positive is refused: the engine keeps following the view's own.
    for (const double bad : {0.0, -2.0, std::nan("")}) {
        view->setFrameWithContentScale(CGRectMake(0, 0, 22, 30), bad);
        EXPECT_EQ(view->contentScaleFactor(), 1.0);
        EXPECT_EQ(engine().viewRect[2], 22);
        EXPECT_EQ(engine().viewRect[3], 30);
        view->setFrame(CGRectMake(0, 0, 20, 30));
    }
}

TEST_F(GraphicsViewTest, TouchesGoToTheDelegateOnly) {
    view->touchesBegan({}, nullptr);  // no delegate: nothing happens
    RecordingDelegate delegate;
    view->setDelegate(&delegate);
    view->touchesBegan({}, nullptr);
    view->touchesEnded({}, nullptr);
    EXPECT_EQ(delegate.touchesBegan, 1);
    EXPECT_EQ(delegate.touchesEnded, 1);
}

// ---- Inputs -------------------------------------------------------------------------------------

TEST_F(GraphicsViewTest, APhotoSetOnTheViewIsDrawnIntoTheLayer) {
    struct Case {
        uint8_t r, g, b;
        int dominant;  // channel that must stand out in the shown picture
    };
    for (const Case c : {Case{220, 30, 30, 0}, Case{30, 30, 220, 2}}) {
        SCOPED_TRACE(c.dominant);
        const uint64_t before = shown().presentCount;
        view->setImageWithImage(SolidImage(16, 12, c.r, c.g, c.b));
        ASSERT_GT(shown().presentCount, before);
        EXPECT_EQ(view->currentImageSize().width, 16);
        EXPECT_EQ(view->currentImageSize().height, 12);
        const auto& frame = shown();
        ASSERT_EQ(frame.width, engine().viewRect[2]);
        const std::size_t centre = (static_cast<std::size_t>(frame.height / 2) * frame.width + frame.width / 2) * 4;
        const uint8_t* p = &frame.pixels[centre];
        for (int ch = 0; ch < 3; ++ch) {
            if (ch == c.dominant) continue;
            EXPECT_GT(p[c.dominant], p[ch] + 100) << "channel " << ch;
        }
    }
}

TEST_F(GraphicsViewTest, EachViewDrawsInItsOwnContext) {
    auto other = std::make_shared<GraphicsView>(CGRectMake(0, 0, 16, 16));
    EXPECT_EQ(GraphicsView::sharedInstance(), other.get()) << "the last view made";
    other->setImageWithImage(SolidImage(8, 8, 30, 220, 30));
    view->setImageWithImage(SolidImage(8, 6, 220, 30, 30));  // the other view's context was current
    const auto& frame = shown();
    ASSERT_GT(frame.presentCount, 0u);
    const uint8_t* p = &frame.pixels[(static_cast<std::size_t>(frame.height / 2) * frame.width + frame.width / 2) * 4];
    EXPECT_GT(p[0], p[1] + 100);
    const auto& otherFrame = other->eaglLayer().presentedContents();
    ASSERT_GT(otherFrame.presentCount, 0u);
    EXPECT_GT(otherFrame.pixels[(8 * otherFrame.width + 8) * 4 + 1], 150);
}

TEST_F(GraphicsViewTest, NoPictureIsABlackInputThatLeavesTheFilterScale) {
    view->setNormalizedFilterScaleDimension(10);
    view->setImageWithImage(SolidImage(16, 12, 90, 90, 90));
    ASSERT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 1.2);

    int32_t stateDuring = -1;
    const UIImagePtr result = view->processImageData(
        nullptr, [&](int64_t w, int64_t h, int64_t o, int32_t format, const void* pixels, bool real) -> UIImagePtr {
            EXPECT_EQ(w, 2);
            EXPECT_EQ(h, 2);
            EXPECT_EQ(o, 0);
            EXPECT_FALSE(real);
            const auto* bytes = static_cast<const uint8_t*>(pixels);
            for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], 0);
            return SolidImage(1, 1, 0, 0, 0);
        });
    EXPECT_EQ(result, nullptr) << "nothing is rendered without a picture";

    // A source that answers it has pixels but gives none is no picture either.
    struct SilentSource : ImageData {
        const AmbrelGraphicsController* engine = nullptr;
        mutable int32_t stateAsked = -1;
        bool hasData() const override { return true; }
        void data(const PixelBlock&) const override { stateAsked = ModeIndex(engine->styleStageMode); }
    } silent;
    silent.engine = &engine();
    view->setImageWithImageData(&silent);
    EXPECT_EQ(silent.stateAsked, 0) << "a picture is read while the engine keeps its intermediate";
    EXPECT_EQ(view->currentImageSize().width, 2) << "the previous photo does not stay as the input";
    EXPECT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 1.2);
    EXPECT_EQ(view->drawImageDataToImageWithFilterScale(&silent, 2), nullptr);

    view->setImageWithImage(SolidImage(16, 12, 90, 90, 90));
    const uint64_t before = shown().presentCount;
    const ImageData empty;
    view->setImageWithImageData(&empty);
    EXPECT_EQ(view->currentImageSize().width, 2);
    view->setImageWithImage(SolidImage(16, 12, 90, 90, 90));
    view->setImageWithImageData(nullptr);
    EXPECT_EQ(view->currentImageSize().width, 2);
    EXPECT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 1.2) << "filter scale left as it was";
    EXPECT_GT(shown().presentCount, before);
    EXPECT_EQ(engine().styleStageMode, eStyleStageMode::Neither) << "state restored after the input";
    view->useCachedTextureState(1, [&] { stateDuring = ModeIndex(engine().styleStageMode); });
    EXPECT_EQ(stateDuring, 1);
    EXPECT_EQ(engine().styleStageMode, eStyleStageMode::Neither);
}

TEST_F(GraphicsViewTest, PhotoFilterScaleIsItsShorterSideOverTheCameraReference) {
    // 300 × 200 against a reference of 108: the same ratio as 3000 × 2000 against 1080.
    view->setNormalizedFilterScaleDimension(108);
    view->setImageWithImage(SolidImage(300, 200, 90, 90, 90));
    EXPECT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 200.0 / 108.0);

    // Before any camera frame the view's shorter side in pixels stands in for the reference.
    view->setNormalizedFilterScaleDimension(0);
    view->setImageWithImage(SolidImage(96, 144, 90, 90, 90));
    EXPECT_DOUBLE_EQ(engine().baseFilterScale.requestedScale,
                     96.0 / std::min(engine().viewRect[2], engine().viewRect[3]));
}

TEST_F(GraphicsViewTest, CameraCropsFitTheViewTurnedByAQuarter) {
    struct Case {
        CGSize frame, bounds;
        CGRect crop;
    };
    const Case cases[] = {
        {{1920, 1080}, {768, 1024}, {{240, 0}, {1440, 1080}}},
        {{1920, 1080}, {375, 667}, {{0, 0}, {1920, 1079}}},
        {{640, 480}, {480, 640}, {{0, 0}, {640, 480}}},
        {{640, 480}, {0, 0}, {{320, 240}, {0, 0}}},
    };
    for (const Case& c : cases) {
        const CGRect crop = GraphicsView::cameraCropRect(c.frame, c.bounds);
        EXPECT_EQ(crop.origin.x, c.crop.origin.x);
        EXPECT_EQ(crop.origin.y, c.crop.origin.y);
        EXPECT_EQ(crop.size.width, c.crop.size.width);
        EXPECT_EQ(crop.size.height, c.crop.size.height);
    }
}

TEST_F(GraphicsViewTest, CameraFramesWaitOneAtATimeForTheDisplayLink) {
    RecordingDelegate delegate;
    view->setDelegate(&delegate);
    int started = 0;
    view->setCameraStartedBlock([&] { ++started; });
    view->setFrame(CGRectMake(0, 0, 24, 32));
    view->startVideoController();

    view->setImage(CameraFrame(64, 48, 1));
    EXPECT_EQ(view->nativeVideoDimensions().width, 64);
    EXPECT_EQ(view->normalizedFilterScaleDimension(), 48);
    EXPECT_EQ(view->currentImageSize().width, 64);
    EXPECT_EQ(view->currentImageSize().height, 48);
    EXPECT_EQ(delegate.didGetImage, 1);
    EXPECT_EQ(delegate.didGetNextImage, 1);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(HasTime(1));

    view->setImage(CameraFrame(64, 48, 2));  // before the refresh: dropped
    EXPECT_FALSE(HasTime(2));
    const uint64_t before = shown().presentCount;
    Refresh();
    EXPECT_EQ(shown().presentCount, before + 1);
    view->setImage(CameraFrame(64, 48, 3));
    EXPECT_TRUE(HasTime(3));
    EXPECT_EQ(delegate.didGetImage, 1) << "first-frame notice once";
    EXPECT_EQ(delegate.didGetNextImage, 1);

    // Stopped after a frame was accepted: frames are dropped.
    view->stopVideoController();
    Refresh();
    view->drawView();
    view->setImage(CameraFrame(64, 48, 4));
    EXPECT_FALSE(HasTime(4));

    // Started again: the next frame is announced again.
    view->startVideoController();
    view->setImage(CameraFrame(64, 48, 5));
    EXPECT_TRUE(HasTime(5));
    EXPECT_EQ(delegate.didGetNextImage, 2);
    EXPECT_EQ(started, 2);
    view->stopVideoController();
}

TEST_F(GraphicsViewTest, AssetFramesAreTakenOnlyWhenAsked) {
    view->setImageForAsset(CameraFrame(40, 20, 1), false, 0);
    EXPECT_FALSE(HasTime(1));
    view->setImageFromAsset(true);
    view->setImageForAsset(CameraFrame(40, 20, 2), false, 3);
    EXPECT_TRUE(HasTime(2));
    EXPECT_EQ(view->currentImageSize().width, 40);
    EXPECT_EQ(view->currentImageOrientation(), 3) << "wide frame of a turned asset";
    view->setImageForAsset(CameraFrame(20, 40, 3), false, 0);
    EXPECT_EQ(view->currentImageOrientation(), 0);
}

// ---- Renders to images --------------------------------------------------------------------------

TEST_F(GraphicsViewTest, RendersAtFullResolutionAndRestoresTheFilterScale) {
    view->setNormalizedFilterScaleDimension(10);
    view->setImageWithImage(SolidImage(16, 12, 150, 90, 60));
    ASSERT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 1.2);

    const auto picture = UIImageData::imageDataWithUIImage(SolidImage(48, 36, 150, 90, 60));
    const UIImagePtr fromData = view->drawImageDataToImageWithFilterScale(picture.get(), 2.5);
    EXPECT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 1.2) << "preview scale restored";
    const UIImagePtr fromReference =
        view->drawImageDataToImageWithReferenceImage(picture.get(), SolidImage(16, 12, 1, 2, 3));
    EXPECT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 1.2) << "the reference photo is the preview again";
    EXPECT_EQ(view->currentImageSize().width, 16);
    const UIImagePtr current = view->drawCurrentImageToImage();
    EXPECT_EQ(engine().styleStageMode, eStyleStageMode::Neither);

    for (const UIImagePtr& image : {fromData, fromReference}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(CGImageGetWidth(image->CGImage()), 48u) << "full resolution, not the preview's";
        EXPECT_EQ(CGImageGetHeight(image->CGImage()), 36u);
    }
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(CGImageGetWidth(current->CGImage()), 16u);

    // A camera still at its own resolution, whatever the viewport; the preview scale stays.
    const UIImagePtr still = view->drawImageToImageUsingCameraViewport(SolidImage(40, 30, 150, 90, 60));
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(CGImageGetWidth(still->CGImage()), 40u);
    EXPECT_EQ(CGImageGetHeight(still->CGImage()), 30u);
    EXPECT_DOUBLE_EQ(engine().baseFilterScale.requestedScale, 1.2);
}

// The view's tile side (768 or 384 by memory) reaches the full-resolution render: a picture
// taller than a tile goes in several pieces (strips or tiles), each reported as progress.
TEST_F(GraphicsViewTest, FullResolutionRenderGoesInTilesOfTheViewsSide) {
    const int32_t side = engine().maxTextureSize;
    ASSERT_EQ(side, DeviceUtility::hasHighMemory() ? 768 : 384);
    std::vector<double> progress;
    engine().SetRenderProgressBlock([&](double value) { progress.push_back(value); });
    const auto picture = UIImageData::imageDataWithUIImage(SolidImage(40, side * 2 + 8, 150, 90, 60));
    const UIImagePtr image = view->drawImageDataToImageWithFilterScale(picture.get(), 1.0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(CGImageGetHeight(image->CGImage()), static_cast<size_t>(side * 2 + 8));
    EXPECT_GE(progress.size(), 4u) << "a start and at least three pieces";
}

// A full-resolution render holds the main thread; the open window is shown between its passes,
// so an animation (the busy logo's) is seen where its clock has it. A pass made slow here
// stands for a large photo's.
TEST_F(GraphicsViewTest, TheWindowIsShownBetweenTheFullResolutionRendersPasses) {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    TouchHarness ui;
    loop.useRealClock();
    std::string error;
    const std::unique_ptr<UIHostWindow> host = UIHostWindow::open(*ui.driver, "Tavorin test", &error);
    ASSERT_TRUE(host) << error;
    auto fading = std::make_shared<UIView>(ui.window->bounds());
    fading->setBackgroundColor(UIColor::colorWithRed(1, 1, 1, 1));
    ui.window->setBackgroundColor(UIColor::colorWithRed(0, 0, 0, 1));
    ui.window->addSubview(fading);
    auto brightness = [&] {
        const auto shown = host->readBack();
        return shown ? shown->pixel(shown->width / 2, shown->height / 2)[1] : -1;
    };
    host->runTurn(0);
    ASSERT_EQ(brightness(), 255);
    // A linear fade: the default ease-in-out curve hardly moves in the slowed pass's first 0.3 s.
    UIView::animateWithDuration(
        2.0, 0, UIViewAnimationOptionCurveLinear, [&] { fading->setAlpha(0); }, nullptr);
    host->runTurn(0);

    bool slowed = false;
    const ScopedPassObserver slow([&](int32_t, int32_t, int32_t) {
        if (!std::exchange(slowed, true)) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    const auto picture = UIImageData::imageDataWithUIImage(SolidImage(40, 30, 150, 90, 60));
    ASSERT_NE(view->drawImageDataToImageWithFilterScale(picture.get(), 1.0), nullptr);
    ASSERT_TRUE(slowed) << "the render drew no pass";
    EXPECT_LT(brightness(), 235) << "the fade had moved on when the window was last shown";
    fading->layer()->removeAllAnimations();
}

// ---- Display controls ---------------------------------------------------------------------------

TEST_F(GraphicsViewTest, ShowOriginalOffRestoresTheStyleSetBefore) {
    view->setShowOriginal(false);  // never shown: the style stays
    EXPECT_EQ(engine().luminanceStyle, eLuminanceStyle::CIE);
    view->setAdjustment("Luminance Style", 1.5f / 4);  // the second style
    ASSERT_EQ(engine().luminanceStyle, eLuminanceStyle::LocalLaplacian);
    view->setShowOriginal(true);
    EXPECT_TRUE(view->showOriginal());
    EXPECT_EQ(engine().luminanceStyle, eLuminanceStyle::None);
    view->setShowOriginal(true);
    view->setShowOriginal(false);
    EXPECT_FALSE(view->showOriginal());
    EXPECT_EQ(engine().luminanceStyle, eLuminanceStyle::LocalLaplacian);

    // A style chosen while the original shows is kept when it is turned off.
    view->setShowOriginal(true);
    view->setAdjustment("Luminance Style", 2.5f / 4);
    view->setShowOriginal(false);
    EXPECT_EQ(engine().luminanceStyle, eLuminanceStyle::NoneWithColorAdjustments);
}

TEST_F(GraphicsViewTest, CompareMappingFollowsTheInterfaceOrientation) {
    const CGSize bounds{375, 667};
    const CGPoint touch{100, 200};
    struct Case {
        int orientation;
        CGPoint point;
        float angle;
    };
    const Case cases[] = {
        {1, {100, 467}, 3.1415927410125732f},
        {2, {275, 200}, -0.0f},
        {4, {200, 100}, 4.71238899230957f},
        {3, {175, 567}, 1.5707963705062866f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        const auto split = GraphicsView::compareSplit(c.orientation, bounds, touch, 0.25);
        EXPECT_EQ(split.point.x, c.point.x);
        EXPECT_EQ(split.point.y, c.point.y);
        EXPECT_FLOAT_EQ(split.angle, c.angle - 0.25f);
    }

    // Through the view in portrait at scale 2: point (200, 934) in pixels, angle π.
    UIApplication::sharedApplication().resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
    view->setFrameWithContentScale(CGRectMake(0, 0, 375, 667), 2);
    view->setCompareShowing(true, 0, touch);
    EXPECT_TRUE(engine().colorAdjustment.split.on);
    EXPECT_FLOAT_EQ(engine().colorAdjustment.split.point.x, 200.5f) << "snapped to the pixel centre";
    EXPECT_FLOAT_EQ(engine().colorAdjustment.split.point.y, 934.5f);
    EXPECT_FLOAT_EQ(engine().colorAdjustment.split.angle, 3.1415927410125732f);
}

TEST_F(GraphicsViewTest, CompareSplitFollowsItsPointAndAngleAndComesAndGoes) {
    UIApplication::sharedApplication().resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
    view->setImageWithImage(SolidImage(16, 12, 120, 80, 60));
    view->setCompareShowing(true, 0, CGPointMake(10, 12));
    Touch();
    view->drawView();
    QV::Graphics::IShaderProgram* program = engine().shaderSets[kPairColorAdjustment][0];
    ASSERT_NE(program, nullptr) << "the colour program is built with the split";
    auto uSplit = [&] {
        auto* shader = static_cast<QV::Graphics::CShader*>(view->device()->GetShader());
        shader->UseProgram(program);
        const GLuint id = static_cast<QV::Graphics::CShaderProgram*>(program)->GetProgram();
        float v[4] = {};
        glGetUniformfv(id, glGetUniformLocation(id, "uSplit"), v);
        shader->UnbindProgram();
        return std::vector<float>(v, v + 4);
    };
    const std::vector<float> first = uSplit();
    EXPECT_NEAR(first[2], std::cos(std::numbers::pi_v<float>), 1e-5);

    // Moving the split changes the uniform of the built program, without a rebuild.
    view->setCompareShowing(true, 0.5, CGPointMake(20, 6));
    EXPECT_EQ(engine().shaderSets[kPairColorAdjustment][0], program);
    const std::vector<float> moved = uSplit();
    EXPECT_NEAR(moved[2], std::cos(std::numbers::pi_v<float> - 0.5f), 1e-5);
    EXPECT_NEAR(moved[3], std::sin(std::numbers::pi_v<float> - 0.5f), 1e-5);
    EXPECT_NE(moved[0], first[0]);

    // Hiding releases the colour-adjustment pair; the next frame builds it without the split.
    view->setCompareShowing(false, 0, CGPointZero);
    EXPECT_FALSE(engine().colorAdjustment.split.on);
    EXPECT_EQ(engine().shaderSets[kPairColorAdjustment][0], nullptr);
    EXPECT_EQ(engine().shaderSets[kPairColorAdjustment][1], nullptr);
}

TEST_F(GraphicsViewTest, SmallControlsReachTheEngine) {
    view->setZoom(2);
    EXPECT_EQ(engine().zoom, 2.0f);
    view->setZoom(0.5);
    EXPECT_EQ(engine().zoom, 2.0f);
    view->setLandscape(true);
    EXPECT_TRUE(engine().landscape);
    view->setFrontFacing(true);
    EXPECT_FALSE(engine().frontFacing) << "the engine's flag is true for the back camera";
    view->setFrontFacing(false);
    EXPECT_TRUE(engine().frontFacing);
    for (int64_t o = -1; o <= 8; ++o)
        EXPECT_EQ(GraphicsView::imageOrientationIsLandscape(o), o == 2 || o == 3 || o == 6 || o == 7) << o;

    RecordingDelegate delegate;
    view->setDelegate(&delegate);
    view->setAverageColorFromImage(*SolidImage(4, 4, 255, 0, 51));
    ASSERT_TRUE(view->averageColor());
    EXPECT_NEAR(view->averageColor()->CGColor().r, 1.0, 1e-6);
    EXPECT_NEAR(view->averageColor()->CGColor().b, 0.2, 1e-6);
    const uint8_t bgrx[8] = {255, 0, 0, 0, 255, 0, 0, 0};  // blue, blue
    view->setAverageColorFromImage(bgrx, 2, 1, 8);
    EXPECT_NEAR(view->averageColor()->CGColor().b, 1.0, 1e-6);
    EXPECT_EQ(delegate.colors, 2);
}

// ---- Parameters by name -------------------------------------------------------------------------

// Runs first in its process: the master cache does not exist yet.
TEST_F(GraphicsViewTest, CachedMastersAreLiveUntilCachedThenFixed) {
    const float live = view->filmicStrength();
    EXPECT_EQ(view->getCachedMasterAdjustment(&GraphicsView::filmicStrength), live);
    view->cacheMasterAdjustments();
    view->setFilmicStrength(live > 0.5f ? 0.1f : 0.9f);
    EXPECT_NE(view->filmicStrength(), live);
    EXPECT_EQ(view->getCachedMasterAdjustment(&GraphicsView::filmicStrength), live);
    EXPECT_EQ(view->getCachedMasterAdjustment(&GraphicsView::vignette), 0.0f) << "not a cached master";
}

TEST_F(GraphicsViewTest, SetGetAndDescribeByName) {
    view->setAdjustment("CA Exposure", 0.8f);
    EXPECT_NEAR(view->getAdjustment("CA Exposure"), 0.8f, 1e-6);
    EXPECT_TRUE(engine().frameDirty) << "set with output reconstruction";
    EXPECT_EQ(view->getAdjustmentString("CA Exposure"), view->adjustmentValueDescription("CA Exposure", 0.8f));
    EXPECT_EQ(view->getAdjustment("No Such Parameter"), 0.0f);
    EXPECT_EQ(view->getAdjustmentDefault("No Such Parameter"), 0.0f);
    const auto& defaults = view->defaultAdjustmentsDictionary();
    EXPECT_EQ(defaults.size(), AmbrelGraphicsController::AdjustmentCategories().size());
    ASSERT_TRUE(defaults.contains("CA Exposure"));
    view->setAdjustmentDefault("CA Exposure");
    EXPECT_NEAR(view->getAdjustment("CA Exposure"), defaults.at("CA Exposure"), 1e-6);
}

TEST_F(GraphicsViewTest, DefaultsExcludingAListAndTheParameterSets) {
    const auto& defaults = view->defaultAdjustmentsDictionary();
    const std::string exposure = "CA Exposure", style = "Luminance Style", nr = "NR On/Off";
    auto change = [&] {
        view->setAdjustment(exposure, 0.8f);
        view->setAdjustment(style, 1.5f / 4);
        view->setAdjustment(nr, defaults.at(nr) > 0.5f ? 0.0f : 1.0f);
    };
    auto isDefault = [&](const std::string& name) {
        return std::fabs(view->getAdjustment(name) - defaults.at(name)) < 1e-5f;
    };

    change();
    view->setAdjustmentDefaultsExcludingAdjustments({style});
    EXPECT_TRUE(isDefault(exposure));
    EXPECT_TRUE(isDefault(nr));
    EXPECT_FALSE(isDefault(style)) << "excluded";

    // Empty set, empty exclusions, caching: everything back, and the cache holds it all.
    change();
    const Modes::AdjustmentNameSet none;
    view->setAdjustments({}, &none, true);
    for (const auto& [name, value] : defaults) EXPECT_TRUE(isDefault(name)) << name;
    EXPECT_EQ(view->cachedAdjustmentsDictionary().size(), defaults.size());
    EXPECT_NEAR(view->getCachedAdjustment(exposure), defaults.at(exposure), 1e-6);

    // No exclusions given: only the set's own keys change; values by name are converted.
    change();
    view->setAdjustments({{exposure, 0.25f}, {style, std::string("CIE")}}, nullptr, true);
    EXPECT_NEAR(view->getAdjustment(exposure), 0.25f, 1e-6);
    EXPECT_EQ(engine().luminanceStyle, eLuminanceStyle::CIE);
    EXPECT_FALSE(isDefault(nr)) << "untouched without an exclusion set";
    EXPECT_EQ(view->cachedAdjustmentsDictionary().size(), 2u);
    EXPECT_NEAR(view->getCachedAdjustment(exposure), 0.25f, 1e-6);
    EXPECT_EQ(view->getCachedAdjustment(nr), 0.0f);

    // A key both set and excluded is neither set nor reset.
    change();
    const Modes::AdjustmentNameSet excluded{exposure};
    view->setAdjustments({{exposure, 0.1f}}, &excluded, false);
    EXPECT_NEAR(view->getAdjustment(exposure), 0.8f, 1e-6);
    EXPECT_TRUE(isDefault(style));
    EXPECT_TRUE(isDefault(nr));
}

TEST_F(GraphicsViewTest, CachingRecordsOnlyWhileOnAndCachesTheMasters) {
    view->beginCachingAdjustments();
    view->setAdjustment("CA Exposure", 0.7f);
    const auto& cache = view->endCachingAdjustments();
    view->setAdjustment("CA Exposure", 0.3f);
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_NEAR(view->getCachedAdjustment("CA Exposure"), 0.7f, 1e-6) << "readable after the end";

    view->setAdjustments({{"CA Exposure", 0.6f}}, nullptr, true);
    const float contrast = view->contrast();
    view->setContrast(contrast > 0.5f ? 0.2f : 0.8f);
    EXPECT_EQ(view->getCachedMasterAdjustment(&GraphicsView::contrast), contrast);
}

TEST_F(GraphicsViewTest, MasterValuesRoundTrip) {
    view->setBrightnessRange({0.2f, 0.8f});
    view->setContrastRange({0.1f, 0.9f});
    view->setBrightnessContrastUniqueId("");
    struct Master {
        const char* name;
        void (GraphicsView::*set)(float);
        float (GraphicsView::*get)() const;
    };
    for (const Master& m :
         {Master{"brightness", &GraphicsView::setBrightness, &GraphicsView::brightness},
          Master{"contrast", &GraphicsView::setContrast, &GraphicsView::contrast},
          Master{"vignette", &GraphicsView::setVignette, &GraphicsView::vignette},
          Master{"noise", &GraphicsView::setNoise, &GraphicsView::noise},
          Master{"filmicStrength", &GraphicsView::setFilmicStrength, &GraphicsView::filmicStrength}}) {
        (view.get()->*m.set)(0.75f);
        EXPECT_NEAR((view.get()->*m.get)(), 0.75f, 1e-3) << m.name;
    }
    EXPECT_EQ(view->defaultNoise(), AmbrelGraphicsController::GetDefaultNoise());
    view->setColorStrength(0.75f);  // acts only while a colour look is on
    EXPECT_EQ(view->colorStrength(), engine().GetColorStrength());
    EXPECT_EQ(view->defaultColorStrength(), engine().GetDefaultColorStrength());
}

TEST_F(GraphicsViewTest, DragUsesLiveNoiseReductionOnlyInPhotoEditing) {
    view->setAdjustment("NR On/Off", 1);
    view->adjustmentWillBeginChange();
    EXPECT_EQ(view->getAdjustment("NR On/Off") > 0.5f, GraphicsView::useRealtimeNoiseReduction());
    view->adjustmentWillFinishChange();
    EXPECT_GT(view->getAdjustment("NR On/Off"), 0.5f);

    view->startAnimation();  // the camera runs: the drag leaves it alone
    view->setAdjustment("NR On/Off", 0);
    view->adjustmentWillFinishChange();
    EXPECT_LT(view->getAdjustment("NR On/Off"), 0.5f);
    view->stopAnimation();
    EXPECT_EQ(GraphicsView::useRealtimeNoiseReduction(), DeviceUtility::hasAXGPU() && !DeviceUtility::isIPadAir());
    EXPECT_FALSE(view->automaticAlpha());
}

TEST_F(GraphicsViewTest, TheEditingModelAndModeLibraryReachTheView) {
    GraphicsTypeController::setEngine(view.get());  // as the application hands it over
    EditingEngine& model = *view;                   // the one interface the model uses
    model.setAdjustment("CA Exposure", 0.9f);
    EXPECT_NEAR(view->getAdjustment("CA Exposure"), 0.9f, 1e-6);
    EXPECT_NEAR(GraphicsTypeController::adjustmentValue("CA Exposure"), 0.9f, 1e-6);
    view->setAdjustments({{"CA Exposure", 0.35f}}, nullptr, true);
    EXPECT_NEAR(model.getCachedAdjustment("CA Exposure"), 0.35f, 1e-6);
    EXPECT_EQ(model.masterDefault(EditingEngine::Master::Contrast), view->contrast());
    EXPECT_FALSE(model.isAnimating());

    // Selecting a mode through the editing model: identifier, ranges, the set with caching,
    // then one full redraw.
    int redraws = 0;
    view->setGraphicsChanged([&] { redraws += engine().styleStageMode == eStyleStageMode::RenderFromKept ? 10 : 1; });
    GraphicsTypeController::selectMode({{"CA Exposure", 0.65f}}, {"Enhance 1", {0.3f, 0.6f}, {0.2f, 0.5f}}, {});
    loop.advance(1);  // the model's redraws are throttled
    EXPECT_EQ(view->brightnessContrastUniqueId(), "Enhance 1");
    EXPECT_EQ(view->brightnessRange().maximum, 0.6f);
    EXPECT_EQ(view->contrastRange().minimum, 0.2f);
    EXPECT_NEAR(view->getCachedAdjustment("CA Exposure"), 0.65f, 1e-6);
    EXPECT_EQ(redraws, 1);

    view.reset();  // without a view, reads answer 0 and writes go nowhere
    EXPECT_EQ(GraphicsTypeController::adjustmentValue("CA Exposure"), 0.0f);
    GraphicsTypeController::setAdjustment("CA Exposure", 0.1f);
}

}  // namespace

// ---- The container view -------------------------------------------------------------------------

namespace {

class GraphicsContentViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop.useManualClock(1);
        container = std::make_shared<GraphicsContentView>(CGRectMake(0, 0, 40, 30));
        ASSERT_NE(container->graphicsView()->graphicsController(), nullptr) << "no OpenGL ES 2 context";
    }
    void TearDown() override {
        container.reset();
        loop.useRealClock();
    }
    GraphicsView& view() { return *container->graphicsView(); }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::shared_ptr<GraphicsContentView> container;
};

TEST_F(GraphicsContentViewTest, StillPictureIsShownAtItsOwnSizeAndProcessedOncePerChange) {
    EXPECT_EQ(container->image(), nullptr) << "no picture";
    const UIImagePtr photo = SolidImage(24, 18, 160, 100, 70);
    container->setImage(photo);
    EXPECT_EQ(container->contentView().get(), static_cast<UIView*>(&view()));
    EXPECT_EQ(view().bounds().size.width, 24);
    EXPECT_EQ(view().contentScaleFactor(), 1.0);
    EXPECT_EQ(view().currentImageSize().height, 18);
    EXPECT_TRUE(container->zoomEnabled());

    const UIImagePtr first = container->image();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CGImageGetWidth(first->CGImage()), 24u);
    EXPECT_EQ(container->image(), first) << "kept while nothing changed";
    view().setAdjustment("CA Exposure", 0.7f);
    view().reconstructAndDrawView(GraphicsView::kCacheTexture);
    const UIImagePtr second = container->image();
    EXPECT_NE(second, first) << "rendered again after a change";

    // A cropped picture replaces the shown one; the unprocessed one stays.
    const UIImagePtr cropped = SolidImage(12, 10, 160, 100, 70);
    container->setCroppedImage(cropped);
    EXPECT_EQ(container->unprocessedImage(), photo);
    EXPECT_EQ(view().currentImageSize().width, 12);
    EXPECT_EQ(container->graphicsViewProcessedImage(), nullptr);

    // A full-resolution render of another picture; the cropped one is the preview again.
    const UIImagePtr processed = container->processedImageForImage(SolidImage(30, 20, 10, 200, 10));
    ASSERT_NE(processed, nullptr);
    EXPECT_EQ(CGImageGetWidth(processed->CGImage()), 30u);
    EXPECT_EQ(view().currentImageSize().width, 12);

    // Back from the background outside the camera: the shown picture is the input again.
    view().setImageWithImage(nullptr);
    container->applicationWillEnterForeground();
    EXPECT_EQ(view().currentImageSize().width, 12);

    container->setImage(nullptr);
    EXPECT_EQ(container->croppedImage(), nullptr) << "the cropped picture goes too";
    EXPECT_EQ(container->contentView(), nullptr);
    EXPECT_EQ(container->image(), nullptr);
}

TEST_F(GraphicsContentViewTest, CameraModeRunsTheFeedInAnUprightHolder) {
    int changed = 0, started = 0, stopped = 0;
    container->setCameraChanged([&] { ++changed; });
    container->animateForCompare(true, 0, CGPointMake(5, 5));
    EXPECT_FALSE(view().graphicsController()->colorAdjustment.split.on) << "ignored without the camera";

    container->animateCameraEnabled(true, [&] { ++started; });
    EXPECT_TRUE(view().isAnimating());
    EXPECT_FALSE(container->zoomEnabled());
    EXPECT_EQ(changed, 1);
    ASSERT_NE(container->contentView(), nullptr);
    EXPECT_EQ(view().superview(), container->contentView().get());
    EXPECT_EQ(view().bounds().size.width, 30) << "upright: the container's sides exchanged";
    EXPECT_EQ(view().bounds().size.height, 40);
    EXPECT_EQ(view().contentScaleFactor(), AppConstants::defaultContentScale());
    EXPECT_EQ(started, 0) << "called with the first camera frame";
    view().setImage(CameraFrame(64, 48, 1));
    loop.advance(kRefresh + 1e-9);
    view().setImage(CameraFrame(64, 48, 2));
    EXPECT_EQ(started, 1) << "once";

    container->animateForCompare(true, 0, CGPointMake(5, 5));
    EXPECT_TRUE(view().graphicsController()->colorAdjustment.split.on);

    container->applicationWillResignActive();
    EXPECT_FALSE(view().isAnimating());
    container->applicationDidBecomeActive();
    EXPECT_TRUE(view().isAnimating());

    container->animateCameraEnabled(false, [&] { ++stopped; });
    EXPECT_EQ(stopped, 1) << "called before returning";
    EXPECT_FALSE(view().isAnimating());
    EXPECT_FALSE(view().isUserInteractionEnabled());
    EXPECT_EQ(container->contentView(), nullptr);
    EXPECT_TRUE(container->zoomEnabled());
}

TEST_F(GraphicsContentViewTest, APhotoIsFittedAndZoomedByADoubleTapAndTheCameraStandsUprightInLandscape) {
    TouchHarness ui;
    ui.window->addSubview(container);
    container->setImage(SolidImage(24, 18, 160, 100, 70));
    ASSERT_NE(container->scrollView(), nullptr);
    EXPECT_EQ(view().superview(), container->scrollView().get());
    EXPECT_NEAR(container->scrollView()->zoomScale(), 30.0 / 18, 1e-9) << "fitted to the 40 × 30 container";
    ui.tap(20, 15);
    ui.advance(0.2);
    ui.tap(20, 15);
    ui.advance(0.31);
    EXPECT_NEAR(container->scrollView()->zoomScale(), 2 * 30.0 / 18, 1e-6) << "the maximum, in single precision";
    EXPECT_TRUE(container->zoomed());

    auto& app = UIApplication::sharedApplication();
    app.resetStatusBarOrientation(UIInterfaceOrientation::LandscapeRight);
    container->animateCameraEnabled(true, nullptr);
    auto holder = std::dynamic_pointer_cast<PortraitAlignedView>(container->contentView());
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(view().superview(), holder.get());
    holder->layoutIfNeeded();
    EXPECT_NEAR(view().transform().b, 1, 1e-12) << "turned by +π/2";
    EXPECT_NEAR(view().transform().a, 0, 1e-12);
    const CGPoint mid = holder->convertPointToView(view().center(), container.get());
    EXPECT_NEAR(mid.x, 20, 1e-9);
    EXPECT_NEAR(mid.y, 15, 1e-9);
    container->animateCameraEnabled(false, nullptr);
    app.resetStatusBarOrientation(UIInterfaceOrientation::Portrait);
}

TEST_F(GraphicsContentViewTest, ForwardersReachTheGraphicsView) {
    container->setSquareAspectRatio(true);
    EXPECT_TRUE(view().squareAspectRatio());
    container->setGraphicsContentMode(UIViewContentMode::ScaleAspectFit);
    EXPECT_EQ(container->graphicsContentMode(), UIViewContentMode::ScaleAspectFit);
    container->setShowOriginal(true);
    EXPECT_TRUE(view().showOriginal());
    EXPECT_EQ(view().graphicsController()->luminanceStyle, eLuminanceStyle::None);
}

}  // namespace

// ---- Movie recording hooks --------------------------------------------------------------------

// A movie frame goes in as the byte order it is in, and only the middle sub-width of it: a frame
// whose outer thirds are blue and middle red comes back red.
TEST_F(GraphicsViewTest, MovieFramesCropTheirMiddleAndKeepTheirColours) {
    constexpr int32_t w = 48, h = 16, sub = 16;
    for (const int32_t format : {kPixelFormatRGBA, kPixelFormatBGRA}) {
        SCOPED_TRACE(format);
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
        for (int32_t i = 0; i < w * h; ++i) {
            const bool middle = i % w >= sub && i % w < 2 * sub;
            uint8_t* p = &pixels[static_cast<size_t>(i) * 4];
            p[format == kPixelFormatBGRA ? 2 : 0] = middle ? 230 : 20;
            p[1] = 20;
            p[format == kPixelFormatBGRA ? 0 : 2] = middle ? 20 : 230;
            p[3] = 255;
        }
        ASSERT_TRUE(view->beginVideoAssetRecording());
        std::vector<uint8_t> out(static_cast<size_t>(sub) * h * 4);
        sFrameTime time;
        int delivered = 0;
        for (int64_t t = 1; t <= 3; ++t)
            delivered += view->renderForVideoAssetRecording(
                w, h, sub, sub, h, 0, 0, pixels.data(), sFrameTime::Make(t, 30), sub * 4, out.data(), &time, format);
        EXPECT_EQ(delivered, 1);
        EXPECT_EQ(time.value, 1);
        long red = 0, blue = 0;
        for (size_t i = 0; i < out.size(); i += 4) red += out[i + 2], blue += out[i];
        EXPECT_GT(red, blue + 100L * sub * h);
        EXPECT_TRUE(view->endVideoAssetRecording());
        EXPECT_FALSE(view->endVideoAssetRecording());
    }
}

// A recording begins only once the engine has had an input, and finishing gives the movie's name.
TEST_F(GraphicsViewTest, RecordingBeginsOnlyAfterAnInput) {
    FakeRecorder* fake = nullptr;
    VideoRecorder::SetFactory([&fake] {
        auto r = std::make_unique<FakeRecorder>();
        fake = r.get();
        return r;
    });
    view->setVideoOutputSize(CGSizeMake(1280, 720));
    view->beginVideoRecordingWithOrientation(2);
    EXPECT_EQ(fake, nullptr);
    EXPECT_EQ(view->finishVideoRecording(), "");
    view->setImageWithImage(SolidImage(32, 24, 200, 40, 40));
    view->beginVideoRecordingWithOrientation(2);
    ASSERT_NE(fake, nullptr);
    EXPECT_EQ(fake->starts, 1);
    EXPECT_EQ(fake->preferredWidth, 1280);
    EXPECT_EQ(view->finishVideoRecording(), "movie.mov");
    VideoRecorder::SetFactory({});
}
