// The audio session records what it is asked and never fails; the player opens sound files
// with libavformat and refuses files without sound.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/avfoundation/AVAudioPlayer.h"
#include "platform/avfoundation/AVAudioSession.h"

namespace {

TEST(AudioTest, TheSessionRecordsWhatItIsAsked) {
    AVAudioSession& session = AVAudioSession::sharedInstance();
    NSErrorPtr error = NSError::errorWithDomain("stale", 1, "stale");
    EXPECT_TRUE(
        session.setCategory(AVAudioSessionCategoryPlayAndRecord, AVAudioSessionCategoryOptionMixWithOthers, &error));
    EXPECT_FALSE(error);
    EXPECT_TRUE(session.setActive(true));
    EXPECT_EQ(session.category(), AVAudioSessionCategoryPlayAndRecord);
    EXPECT_EQ(session.categoryOptions(), AVAudioSessionCategoryOptionMixWithOthers);
    EXPECT_TRUE(session.isActive());
    EXPECT_TRUE(session.setCategory(AVAudioSessionCategoryAmbient));
    EXPECT_EQ(session.categoryOptions(), 0u);
    session.setActive(false);
}

TEST(AudioTest, FilesWithoutSoundGiveNoPlayer) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto text = folder / "tavorin-audio-test.txt";
    std::ofstream(text) << "not a sound";
    struct Case {
        std::string path;
    } cases[] = {{(folder / "tavorin-no-such-sound.m4a").string()},
                 {text.string()},
                 {std::string(TAVORIN_RESOURCE_DIR) + "/icons"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        NSErrorPtr error;
        EXPECT_FALSE(AVAudioPlayer::initWithContentsOfFile(c.path, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), AVAudioPlayerErrorDomain);
    }
    std::filesystem::remove(text);
}

TEST(AudioTest, TheShutterSoundOpensAndPreparesWithoutPlaying) {
    const std::string path = std::string(TAVORIN_RESOURCE_DIR) + "/sounds/volumeButtonController.m4a";
    NSErrorPtr error;
    auto player = AVAudioPlayer::initWithContentsOfFile(path, &error);
    ASSERT_TRUE(player) << error->localizedFailureReason();
    EXPECT_FALSE(player->isPrepared());
    EXPECT_TRUE(player->prepareToPlay());
    EXPECT_TRUE(player->isPrepared());
    EXPECT_GT(player->duration(), 0);
    EXPECT_FALSE(player->isPlaying());
    player->stop();
}

}  // namespace
