// Tap focus and the exposure pan on the camera view, with synthetic touches on the manual
// clock and real GL: the squares where the user tapped and at the centre, the dimming, the
// 6 s return to continuous focus, the pan brightening the presented preview, the ISO boost
// past 1/15 s, and the point wait that ends (settled, given up or the camera stopped) and
// releases a shutter pressed meanwhile.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "CameraRigFixture.h"
#include "camera/capture/CameraController.h"
#include "camera/capture/CameraFocusController.h"
#include "camera/capture/FocusViewController.h"
#include "camera/capture/VideoController.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"
#include "support/TouchHarness.h"

namespace {

using namespace platform;

class CameraFocusTest : public CameraRigFixture {
protected:
    void SetUp() override {
        CameraRigFixture::SetUp();
        AppConstants::setOrientation(1);
        CameraController::installInGraphicsViews();
        ui = std::make_unique<TouchHarness>();
        view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 320, 480));
        ASSERT_NE(view->graphicsController(), nullptr) << "no OpenGL ES 2 context";
        // The preview's meter counts each drawn frame as a thirtieth of a second, the phone's
        // normal rate, so the pan's steps do not depend on how fast the test machine draws.
        view->graphicsController()->frameRate = FrameRate([n = uint64_t{0}]() mutable { return ++n; }, 1.0 / 30);
        ui->window->addSubview(view);
        view->startVideoController();
        ui->advance(0.5);  // frames give the sizes; the start's refocus has settled
        VideoController& controller = Camera().videoController();
        device = controller.cameraWithPosition(controller.videoDevicePosition());
    }
    void TearDown() override {
        view->stopVideoController();
        view->removeFromSuperview();
        view.reset();
        ui.reset();
        CameraRigFixture::TearDown();
    }
    // Mean brightness of the presented preview.
    double PreviewBrightness() {
        const CAEAGLLayerContents& shown = view->eaglLayer().presentedContents();
        double sum = 0;
        for (size_t i = 0; i + 3 < shown.pixels.size(); i += 4)
            sum += shown.pixels[i] + shown.pixels[i + 1] + shown.pixels[i + 2];
        return sum / (shown.pixels.size() / 4 * 3 * 255.0);
    }
    FocusViewController& Squares() { return *Camera().cameraFocusViewController(); }

    std::unique_ptr<TouchHarness> ui;
    // The view's camera side: its capture controller, focus, snaps and movie player.
    CameraController& Camera() { return CameraController::of(*view); }
    std::shared_ptr<GraphicsView> view;
    AVCaptureDeviceRef device;
};

TEST_F(CameraFocusTest, ATapShowsItsSquareThatDimsAndSixSecondsLaterTheDeviceFocusesByItselfAgain) {
    ASSERT_NE(Camera().cameraFocusViewController(), nullptr);
    EXPECT_FALSE(Squares().isFocusViewActive()) << "the start's refocus has settled";
    ui->tap(100, 200);
    ui->advance(0.05);
    ASSERT_TRUE(Squares().isPointFocusViewActive());
    EXPECT_EQ(Squares().pointFocusView()->center(), CGPointMake(100, 200));
    EXPECT_EQ(device->focusMode(), 1);
    const CGPoint point = device->focusPointOfInterest();

    // A second tap while the first square shows moves it there at once.
    ui->tap(220, 300);
    ui->advance(0.05);
    EXPECT_EQ(Squares().pointFocusView()->center(), CGPointMake(220, 300));
    EXPECT_NE(device->focusPointOfInterest(), point);

    ui->advance(1.0);  // settled (0.2 s), dimmed half a second later
    EXPECT_NEAR(Squares().pointFocusView()->alpha(), FocusViewController::kDimmedAlpha, 1e-6);
    EXPECT_TRUE(Squares().isPointFocusViewActive()) << "dimmed, still there";
    EXPECT_EQ(device->focusMode(), 1) << "held";
    ui->advance(5.0);
    EXPECT_EQ(device->focusMode(), 1) << "held until 6 s after the tap's wait";
    ui->advance(0.3);
    EXPECT_EQ(device->focusMode(), 2);
    EXPECT_EQ(device->exposureMode(), 2);
    EXPECT_NE(device->focusPointOfInterest(), CGPointMake(0.5, 0.5)) << "the point stays";
    // The device refocuses by itself: the automatic square at the centre, gone once settled.
    EXPECT_TRUE(Squares().isAutoFocusViewActive());
    EXPECT_EQ(Squares().pointFocusView()->alpha(), 0) << "the point square fading out";
    EXPECT_EQ(Squares().autoFocusView()->center(), CGPointMake(160, 240));
    ui->advance(0.5);
    EXPECT_FALSE(Squares().isFocusViewActive());

    ui->tap(100, 100);
    ui->advance(1.0);
    view->swapFrontAndBackFacing();
    ui->advance(0.3);
    VideoController& controller = Camera().videoController();
    const AVCaptureDeviceRef now = controller.cameraWithPosition(controller.videoDevicePosition());
    if (now->isFocusPointOfInterestSupported()) {
        EXPECT_EQ(now->focusPointOfInterest(), CGPointMake(0.5, 0.5));
        EXPECT_EQ(now->focusMode(), 2);
    }
    EXPECT_FALSE(Squares().isPointFocusViewActive()) << "a swap takes the square away";
}

TEST_F(CameraFocusTest, ADragUpBrightensThePreviewAndADragDownDarkensIt) {
    ui->tap(160, 240);
    ui->advance(1.0);
    const double before = PreviewBrightness();
    const CMTime durationBefore = device->exposureDuration();
    ui->drag(160, 300, 160, 100, 0.4);
    ui->advance(0.5);
    const double value = Camera().cameraFocusController().exposureValue();
    EXPECT_GT(value, 0);
    EXPECT_EQ(device->exposureMode(), 3) << "custom";
    EXPECT_GT(CMTimeGetSeconds(device->exposureDuration()), CMTimeGetSeconds(durationBefore));
    EXPECT_EQ(Squares().pointFocusView()->alpha(), 1.0) << "bright while the exposure changes";
    const double brighter = PreviewBrightness();
    EXPECT_GT(brighter, before + 0.02);

    ui->drag(160, 100, 160, 400, 0.4);
    ui->advance(0.5);
    EXPECT_LT(Camera().cameraFocusController().exposureValue(), value);
    EXPECT_LT(PreviewBrightness(), brighter - 0.02);

    ui->advance(2.0);
    EXPECT_NEAR(Squares().pointFocusView()->alpha(), FocusViewController::kDimmedAlpha, 1e-6)
        << "dimmed 1.5 s after the last change";
    ui->advance(4.0);
    EXPECT_EQ(device->exposureMode(), 2) << "continuous 6 s after the last change";
}

TEST_F(CameraFocusTest, PastOneFifteenthOfASecondTheISORisesInsteadAndComesBackOnTheWayDown) {
    CameraFocusController& focus = Camera().cameraFocusController();
    const double min = CMTimeGetSeconds(device->minExposureDuration());
    const double max = CMTimeGetSeconds(device->maxExposureDuration());
    const double crossing =
        CameraFocusController::normalizedExposureDuration(CameraFocusController::kLongestExposureSeconds, min, max);
    focus.setExposureDuration(crossing - 0.1);
    const float baseISO = device->ISO();
    EXPECT_LT(CMTimeGetSeconds(device->exposureDuration()), CameraFocusController::kLongestExposureSeconds);

    struct Step {
        double value;
        double iso;
    } steps[] = {
        {crossing + 0.05, baseISO},  // the boost starts here
        {(crossing + 0.05 + 1) / 2, (baseISO + device->maxISO()) / 2},
        {1.0, device->maxISO()},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.value);
        focus.setExposureDuration(s.value);
        EXPECT_NEAR(CMTimeGetSeconds(device->exposureDuration()), CameraFocusController::kLongestExposureSeconds, 1e-6);
        EXPECT_NEAR(device->ISO(), s.iso, 1.0);
    }
    focus.setExposureDuration(crossing - 0.1);
    EXPECT_NEAR(device->ISO(), baseISO, 1e-3) << "the ISO of the crossing back";

    // A boost that begins at the very top has no range to share: the maximum, never NaN.
    focus.setExposureDuration(1.0);
    EXPECT_EQ(device->ISO(), device->maxISO());
}

TEST(CameraFocusValuesTest, ExposureValuesAndPanStepsStayFinite) {
    const double min = 1.0 / 8000, max = 0.5;
    for (double seconds : {min, 1.0 / 60, 1.0 / 15, max}) {
        const double v = CameraFocusController::normalizedExposureDuration(seconds, min, max);
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 1);
        EXPECT_NEAR(CameraFocusController::normalizeExposureDuration(v, min, max), seconds, 1e-9) << seconds;
    }
    struct Case {
        double seconds, min, max, value;
    } cases[] = {
        {0.01, 0.5, 0.5, 0},  // no range
        {0.01, 0.5, 0.1, 0},  // a range upside down
        {0.0, min, max, 0},   // below the range
        {2.0, min, max, 1},   // above it
        {NAN, min, max, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CameraFocusController::normalizedExposureDuration(c.seconds, c.min, c.max), c.value) << c.seconds;

    const double normal = AppConstants::defaultRealtimeFramerate();
    EXPECT_DOUBLE_EQ(CameraFocusController::panStep(100, 400, normal), 0.025 * 0.25);
    EXPECT_DOUBLE_EQ(CameraFocusController::panStep(100, 400, normal * 24 / 30),
                     CameraFocusController::panStep(100, 400, normal) * 30 / 24)
        << "a slower preview takes larger steps";
    for (double rate : {0.0, -5.0, double(NAN), double(INFINITY)})
        EXPECT_DOUBLE_EQ(CameraFocusController::panStep(100, 400, rate), 0.025 * 0.25) << rate;
    EXPECT_EQ(CameraFocusController::panStep(100, 0, normal), 0) << "no extent, no step";
}

TEST_F(CameraFocusTest, AShutterDuringATapsWaitFiresWhenTheWaitEndsAndTouchesComeBack) {
    struct Case {
        const char* name;
        double settle;   // seconds the device takes; infinity never settles
        double stopAt;   // the camera stopped then (infinity: never)
        double blockAt;  // when the shutter's block runs
    } cases[] = {{"settles", 0.5, INFINITY, 0.5},
                 {"never settles: given up", INFINITY, INFINITY, 2.0},
                 {"camera stopped mid-wait", INFINITY, 0.3, 0.3}};
    UIApplication& app = UIApplication::sharedApplication();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->startVideoController();
        ui->advance(0.5);
        VideoController& controller = Camera().videoController();
        const AVCaptureDeviceRef camera = controller.cameraWithPosition(controller.videoDevicePosition());
        camera->setSettleTimeForTesting(c.settle);
        ui->tap(160, 240);
        ASSERT_TRUE(Camera().cameraFocusController().isPointWaitPending());
        const double start = loop.now();
        double blockAt = -1;
        int completions = 0;
        Camera().captureSnap(
            [&] { blockAt = loop.now() - start; },
            [&](const UIImagePtr&, const std::optional<ImageProperties>&, const NSErrorPtr&) { ++completions; });
        EXPECT_TRUE(app.isIgnoringInteractionEvents());
        for (double t = 0.1; t <= 3.0 + 1e-9; t += 0.1) {
            loop.advance(0.1);
            if (std::abs(t - c.stopAt) < 1e-9) view->stopVideoController();
            if (t < c.blockAt - 1e-9) {
                EXPECT_LT(blockAt, 0) << "at " << t;
            }
        }
        EXPECT_NEAR(blockAt, c.blockAt, 0.11);
        EXPECT_FALSE(app.isIgnoringInteractionEvents()) << "touches taken again";
        EXPECT_FALSE(Camera().cameraFocusController().isPointWaitPending());
        EXPECT_EQ(completions, 1);
        camera->setSettleTimeForTesting(0.2);
        view->stopVideoController();
    }
    view->startVideoController();  // for the tear-down
}

}  // namespace
