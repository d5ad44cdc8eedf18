// The focus overlay on the manual clock: the square grows in at the tap and pulses, its scale
// on the side with room, bright while the exposure changes and dimmed 1.5 s after the last
// change (on composed screenshots too), and the automatic square taking over.
#include <gtest/gtest.h>

#include "camera/capture/FocusViewController.h"
#include "model/DeviceUtility.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "support/ImageRegions.h"

namespace {

class FocusViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop.useManualClock(0);
        AppConstants::setOrientation(1);
        window->setBackgroundColor(UIColor::blackColor());
        window->addSubview(controller->view());
        controller->view()->setFrame(window->bounds());
    }
    void TearDown() override {
        controller->dismissFocusView(false);
        loop.runUntilIdle();
        loop.useRealClock();
    }
    // Brightness of the square's area on a composed picture of the window.
    double squareBrightness(CGPoint centre) {
        const CGImageRef picture = window->compose();
        const CGColor c =
            meanColorInPoints(picture, {{centre.x - 36, centre.y - 36}, {72, 72}}, UIScreen::mainScreen().scale());
        return (c.r + c.g + c.b) / 3 * c.a;
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::shared_ptr<UIWindow> window = std::make_shared<UIWindow>(CGRect{{0, 0}, {320, 568}});
    std::shared_ptr<FocusViewController> controller = std::make_shared<FocusViewController>();
};

TEST_F(FocusViewTest, TheSquareGrowsInAtTheTapWithItsScaleOnTheSideWithRoom) {
    struct Case {
        CGPoint tap;
        bool scaleAtRight;
    } cases[] = {{{100, 200}, true}, {{300, 200}, false}, {{284, 50}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tap.x << "," << c.tap.y);
        controller->presentPointFocusView(c.tap);
        const auto& square = controller->pointFocusView();
        ASSERT_TRUE(controller->isPointFocusViewActive());
        EXPECT_EQ(square->center(), c.tap);
        EXPECT_EQ(square->alpha(), 1.0);  // the model value; the picture fades in
        loop.advance(0.3);
        EXPECT_EQ(square->bounds().size, (CGSize{72, 72}));
        EXPECT_FALSE(square->layer()->animationKeys().empty());  // pulsing
        const CGFloat scaleX = controller->exposureView()->center().x;
        EXPECT_EQ(scaleX > 72, c.scaleAtRight);
        EXPECT_EQ(controller->exposureView()->value(), 0.5);
        EXPECT_FALSE(controller->exposureView()->showValueLines());
    }
    controller->presentAutoFocusView({160, 284});
    loop.advance(0.3);
    EXPECT_FALSE(controller->isPointFocusViewActive());
    EXPECT_TRUE(controller->isAutoFocusViewActive());
    controller->dismissFocusView();
    loop.advance(0.3);
    EXPECT_FALSE(controller->isFocusViewActive());
}

TEST_F(FocusViewTest, ExposureChangesKeepTheSquareBrightUntilOneAndAHalfSecondsAfterTheLast) {
    const CGPoint tap{120, 300};
    controller->presentPointFocusView(tap);
    loop.advance(0.3);
    const double bright = squareBrightness(tap);
    EXPECT_GT(bright, 0.02);
    controller->dismissPointFocusViewAfterDelay(0.5);
    loop.advance(0.8);
    EXPECT_NEAR(controller->pointFocusView()->alpha(), FocusViewController::kDimmedAlpha, 1e-6);
    EXPECT_TRUE(controller->isPointFocusViewActive());  // dimmed, not gone
    EXPECT_LT(squareBrightness(tap), bright * 0.4);

    for (int i = 0; i < 4; ++i) {
        controller->setExposureViewValue(0.2 * i);
        loop.advance(1.0);
        EXPECT_EQ(controller->pointFocusView()->alpha(), 1.0) << i;
        EXPECT_TRUE(controller->exposureView()->showValueLines());
    }
    EXPECT_NEAR(squareBrightness(tap), bright, bright * 0.25);
    loop.advance(0.75);  // 1.75 s after the last change
    EXPECT_NEAR(controller->pointFocusView()->alpha(), FocusViewController::kDimmedAlpha, 1e-6);
    EXPECT_FALSE(controller->exposureView()->showValueLines());
    EXPECT_LT(squareBrightness(tap), bright * 0.4);
}

}  // namespace
