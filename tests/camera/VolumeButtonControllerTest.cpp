// The volume-button shutter: one action per press whatever the stored volume (the restore's
// echo swallowed, also at the ends of the range), presses not from a button, the delay window,
// the hidden volume view, the background round trip and any number of camera restarts.
#include <gtest/gtest.h>

#include "camera/capture/VolumeButtonController.h"
#include "platform/avfoundation/AVAudioSession.h"
#include "platform/mediaplayer/MPMusicPlayerController.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"

namespace {

class VolumeButtonControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop.useManualClock(0);
        window->makeKeyWindow();
        controller.setAction([this] { ++actions; });
    }
    void TearDown() override {
        controller.disable();
        loop.runUntilIdle();
        player().setChangeReason(AVSystemControllerExplicitVolumeChange);
        loop.useRealClock();
    }
    static MPMusicPlayerController& player() { return MPMusicPlayerController::applicationMusicPlayer(); }
    // Stores the volume as the one the camera starts with.
    void enableAt(float volume) {
        player().setVolume(volume);
        loop.runUntilIdle();
        controller.enable();
    }
    void press(bool up) {
        player().pressVolumeButton(up);
        loop.runUntilIdle();
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::shared_ptr<UIWindow> window = std::make_shared<UIWindow>(CGRect{{0, 0}, {320, 568}});
    VolumeButtonController controller;
    int actions = 0;
};

TEST_F(VolumeButtonControllerTest, EachPressActsOnceAndTheVolumeIsPutBack) {
    struct Case {
        float stored;
        std::vector<bool> presses;  // true: up
    } cases[] = {
        {0.5f, {true}},  {0.5f, {false, true, false}}, {1.0f, {true}},
        {1.0f, {false}}, {1.0f, {false, true}},        {0.0f, {false}},
        {0.0f, {true}},  {0.9375f, {true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.stored << ", " << c.presses.size() << " presses");
        enableAt(c.stored);
        actions = 0;
        for (bool up : c.presses) press(up);
        EXPECT_EQ(actions, static_cast<int>(c.presses.size()));
        EXPECT_EQ(player().volume(), c.stored);
        loop.runUntilIdle();  // nothing left over to act on
        EXPECT_EQ(actions, static_cast<int>(c.presses.size()));
        controller.disable();
    }
}

TEST_F(VolumeButtonControllerTest, OnlyButtonPressesActAndTheDelayWindowHoldsThemBack) {
    enableAt(0.5f);
    player().setChangeReason("RouteChange");
    press(true);
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(player().volume(), 0.5f);  // restored all the same
    player().setChangeReason(AVSystemControllerExplicitVolumeChange);

    controller.delayEventsForDuration(1.0);
    press(true);
    EXPECT_EQ(actions, 0);
    loop.advance(1.5);
    player().setVolume(0.5f);  // the held-back press is put back by hand; no action for that
    loop.runUntilIdle();
    actions = 0;
    press(false);
    EXPECT_EQ(actions, 1);
    EXPECT_FALSE(controller.delayTime());
}

TEST_F(VolumeButtonControllerTest, RestartsAndTheBackgroundLeaveOneActionPerPress) {
    const std::size_t observersBefore = NSNotificationCenter::defaultCenter().observerCount();
    enableAt(0.5f);
    EXPECT_EQ(AVAudioSession::sharedInstance().category(), AVAudioSessionCategoryAmbient);
    const std::shared_ptr<UIView> view = controller.volumeView();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->superview(), window.get());
    EXPECT_EQ(view->frame(), (CGRect{{0, -100}, {10, 20}}));  // above the top edge, out of sight
    for (int i = 0; i < 5; ++i) {
        controller.disable();
        EXPECT_EQ(view->superview(), nullptr);
        controller.enable();
    }
    EXPECT_EQ(controller.volumeView(), view);  // made once, kept
    press(true);
    EXPECT_EQ(actions, 1);

    UIApplication& app = UIApplication::sharedApplication();
    app.transitionToState(UIApplicationState::Active);
    loop.runUntilIdle();
    app.transitionToState(UIApplicationState::Background);
    loop.runUntilIdle();
    EXPECT_FALSE(controller.enabled());
    EXPECT_TRUE(controller.disabledBecauseOfBackground());
    press(true);  // while away: nothing, and nothing restored
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(player().volume(), 0.5625f);
    app.transitionToState(UIApplicationState::Active);
    loop.runUntilIdle();
    EXPECT_TRUE(controller.enabled());
    EXPECT_FALSE(controller.disabledBecauseOfBackground());
    EXPECT_EQ(controller.currentVolume(), 0.5625);  // taken anew
    press(false);
    EXPECT_EQ(actions, 2);
    EXPECT_EQ(player().volume(), 0.5625f);

    controller.disable();
    // Only the life-cycle observers stay, to bring the shutter back after the background.
    EXPECT_EQ(NSNotificationCenter::defaultCenter().observerCount(), observersBefore + 3);
}

}  // namespace
