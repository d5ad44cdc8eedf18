// The system volume: clamped steps, notifications posted later on the main run loop (the
// application's own changes too) with their reason, and the volume view's fitted size.
#include <gtest/gtest.h>

#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaplayer/MPMusicPlayerController.h"
#include "platform/mediaplayer/MPVolumeView.h"

namespace {

struct Report {
    float volume;
    std::string reason;
};

TEST(VolumeTest, ChangesArePostedLaterWithTheirVolumeAndReason) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    MPMusicPlayerController& player = MPMusicPlayerController::applicationMusicPlayer();
    player.setVolume(0.5f);
    loop.runUntilIdle();
    std::vector<Report> reports;
    NSNotificationCenter::defaultCenter().addObserver(
        &reports, AVSystemControllerSystemVolumeDidChangeNotification, [&](const NSNotification& n) {
            reports.push_back({std::any_cast<float>(n.userInfo.at(AVSystemControllerAudioVolumeNotificationParameter)),
                               std::any_cast<std::string>(
                                   n.userInfo.at(AVSystemControllerAudioVolumeChangeReasonNotificationParameter))});
        });

    player.pressVolumeButton(true);
    EXPECT_EQ(player.volume(), 0.5625f);
    EXPECT_TRUE(reports.empty());    // not on the pressing stack
    player.setVolume(2);             // clamped
    player.setVolume(1);             // no change: nothing
    player.pressVolumeButton(true);  // at the top: reported, not moved
    player.setChangeReason("RouteChange");
    player.setVolume(-1);
    player.setChangeReason(AVSystemControllerExplicitVolumeChange);
    for (int i = 0; i < 17; ++i) player.pressVolumeButton(false);
    loop.runUntilIdle();
    NSNotificationCenter::defaultCenter().removeObserver(&reports);

    ASSERT_EQ(reports.size(), 21u);
    const std::pair<float, std::string> expected[] = {{0.5625f, "ExplicitVolumeChange"},
                                                      {1.0f, "ExplicitVolumeChange"},
                                                      {1.0f, "ExplicitVolumeChange"},
                                                      {0.0f, "RouteChange"},
                                                      {0.0f, "ExplicitVolumeChange"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reports[i].volume, expected[i].first) << i;
        EXPECT_EQ(reports[i].reason, expected[i].second) << i;
    }
    EXPECT_EQ(reports.back().volume, 0.0f);  // the bottom holds
    EXPECT_EQ(reports.back().reason, expected[4].second);
    player.setVolume(0.5f);
    loop.runUntilIdle();
}

TEST(VolumeTest, TheVolumeViewKeepsItsWidthAndIsTwentyPointsHigh) {
    MPVolumeView view(CGRect{{0, -100}, {10, 0}});
    view.sizeToFit();
    EXPECT_EQ(view.frame(), (CGRect{{0, -100}, {10, 20}}));
}

}  // namespace
