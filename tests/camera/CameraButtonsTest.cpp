// The camera's small buttons, driven by synthetic taps on the manual clock: the flash cycle
// with its picture changing only after the block (on screenshots too), the front/back flip
// and mirror, the shutter's block at the start of its press, the aspect outline's press.
#include <gtest/gtest.h>

#include "camera/buttons/CameraButtons.h"
#include "platform/quartzcore/CACompositor.h"
#include "support/ImageRegions.h"
#include "support/TouchHarness.h"

namespace {

class CameraButtonsTest : public ::testing::Test {
protected:
    void tap(UIView& view) { ui.tap(view); }
    double presentedScale(const UIView& view) { return view.layer()->presentation().transform.m11; }

    TouchHarness ui;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

TEST_F(CameraButtonsTest, FlashStepsAutoOnOffAndShowsThePictureAfterTheBlock) {
    auto flash = std::make_shared<FlashButtonView>();
    ASSERT_TRUE(flash->button().currentImage());
    const auto off = flash->button().currentImage();
    std::vector<std::int64_t> seen;
    std::vector<UIImagePtr> picturesInBlock;
    flash->setBlock([&] {
        seen.push_back(flash->flashMode());
        picturesInBlock.push_back(flash->button().currentImage());
    });
    std::vector<UIImagePtr> pictures;
    for (int i = 0; i < 3; ++i) {
        tap(*flash);
        loop.advance(0.5);
        pictures.push_back(flash->button().currentImage());
    }
    EXPECT_EQ(seen, (std::vector<std::int64_t>{2, 1, 0}));
    EXPECT_EQ(picturesInBlock[0], off) << "the old picture while the block runs";
    EXPECT_EQ(picturesInBlock[1], pictures[0]);
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[0], off);
    flash->setFlashMode(7);  // unknown modes have no picture and do not step
    EXPECT_FALSE(flash->imageForFlashMode());
    tap(*flash);
    EXPECT_EQ(flash->flashMode(), 7);
}

TEST_F(CameraButtonsTest, FrontBackMirrorsWhileFrontFacing) {
    auto frontBack = std::make_shared<FrontBackButtonView>();
    int calls = 0;
    frontBack->setBlock([&] { ++calls; });
    for (bool front : {true, false, true}) {
        tap(*frontBack);
        loop.advance(0.5);
        EXPECT_EQ(frontBack->frontFacing(), front);
        EXPECT_EQ(frontBack->button().transform().a, front ? -1 : 1);
    }
    EXPECT_EQ(calls, 3);
    const CGImageRef shot = CACompositor::compose(*frontBack->layer(), frontBack->bounds().size, 2);
    EXPECT_GT(meanColor(shot, {{0, 0}, {88, 88}}).a, 0.02) << "the picture is drawn";
}

TEST_F(CameraButtonsTest, TheShutterActsAtOnceAndTheAspectOutlinePresses) {
    auto shutter = std::make_shared<CameraButtonView>();
    EXPECT_EQ(shutter->button().bounds().size, (CGSize{70, 70}));
    EXPECT_EQ(shutter->button().layer()->cornerRadius(), 35);
    int shots = 0;
    shutter->setBlock([&] { ++shots; });
    tap(*shutter);
    EXPECT_EQ(shots, 1);
    loop.advance(0.1);
    EXPECT_NEAR(presentedScale(shutter->button()), 0.8, 0.01);

    auto aspect = std::make_shared<AspectButtonView>();
    std::vector<bool> states;
    aspect->setBlock([&] { states.push_back(aspect->square()); });
    tap(*aspect);
    loop.advance(0.1);
    EXPECT_NEAR(presentedScale(*aspect->aspectView()), 0.8, 0.01);
    EXPECT_EQ(presentedScale(aspect->button()), 1) << "the outline presses, not the button";
    loop.advance(0.4);
    tap(*aspect);
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    EXPECT_EQ(aspect->aspectView()->bounds().size, (CGSize{24, 24}));
    EXPECT_EQ(aspect->aspectView()->center(), (CGPoint{22, 22}));
}

}  // namespace
