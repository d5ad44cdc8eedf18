// The movie player on generated movies and the manual clock (the display refreshes 60 times a
// second): pacing at 30 and 60 frames a second, a stalled display catching up, the first frame
// as a still and again after a stop, the end, orientations, the sound starting with the first
// frame, and damaged files and other URLs refused without a crash.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "MovieFiles.h"
#include "camera/movie/VideoAssetController.h"
#include "platform/avfoundation/AVAudioSession.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

struct Delivery {
    double time;   // the frame's presentation time
    double clock;  // seconds since playing started, when it was handed over
};

class MoviePlayer : public ::testing::Test, public VideoAssetControllerDelegate {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tavorin-player-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        loop.useManualClock(100);
        player.setDelegate(this);
        player.setTarget([this](const CMSampleBufferRef& sample) {
            ASSERT_NE(sample->imageBuffer(), nullptr);
            EXPECT_EQ(sample->imageBuffer()->pixelFormatType(), kCVPixelFormatType_32BGRA);
            frames.push_back({CMTimeGetSeconds(sample->presentationTimeStamp()), loop.now() - startedAt});
        });
    }
    void TearDown() override {
        player.stop();
        loop.runUntilIdle();
        loop.useRealClock();
        fs::remove_all(dir);
    }
    void videoAssetControllerDidFinish(VideoAssetController&, bool finished) override { endings.push_back(finished); }

    std::string Movie(const TestMovie& movie, const std::string& name = "movie.mov") {
        const std::string path = (dir / name).string();
        WriteTestMovie(path, movie);
        return path;
    }
    // Starting shows the first frame again as a still; `frames` then holds what the display
    // link hands over.
    void Start() {
        frames.clear();
        player.start();
        startedAt = loop.now();
        if (player.active()) {
            EXPECT_EQ(frames.size(), 1u);
            EXPECT_TRUE(!frames.empty() && frames[0].time == 0);
        }
        frames.clear();
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    fs::path dir;
    VideoAssetController player;
    std::vector<Delivery> frames;
    std::vector<bool> endings;
    double startedAt = 0;
};

// Frames 1/60 s apart are closer than 1/31 s: about every second one is shown; 1/30 s apart,
// every one. The first frame is shown at once, and the end tells the delegate NO.
TEST_F(MoviePlayer, PacesFramesOnTheDisplayRefresh) {
    struct Case {
        int32_t fps;
        size_t shown;  // after the still
    };
    for (const Case c : {Case{30, 29}, Case{60, 30}}) {
        SCOPED_TRACE(c.fps);
        player.setUrl("file://" + Movie({.framesPerSecond = c.fps, .frames = c.fps}));
        ASSERT_EQ(frames.size(), 1u) << "the first frame as a still";
        EXPECT_EQ(frames[0].time, 0);
        EXPECT_EQ(player.frameRate(), c.fps);
        Start();
        ASSERT_TRUE(player.active());
        loop.advance(0.05);
        ASSERT_EQ(frames.size(), 1u) << "the first frame after the start is shown";
        EXPECT_DOUBLE_EQ(frames[0].time, 1.0 / c.fps);
        loop.advance(1.5);
        EXPECT_EQ(frames.size(), c.shown);
        for (size_t i = 1; i < frames.size(); ++i) {
            EXPECT_GT(frames[i].time - frames[i - 1].time, 1.0 / 31);
            EXPECT_LE(frames[i].clock - frames[i].time, 0.1);
            EXPECT_GE(frames[i].clock + 1e-9, frames[i].time);
        }
        EXPECT_EQ(endings, std::vector<bool>{false});
        EXPECT_EQ(player.videoDisplayLink(), nullptr);
        EXPECT_TRUE(player.active()) << "until stopped";
        player.stop();
        endings.clear();
        frames.clear();
    }
}

// After a half-second stall the frames more than 0.1 s behind the clock are dropped until the
// movie catches up; then it plays on.
TEST_F(MoviePlayer, DropsLateFramesAfterAStall) {
    player.setUrl(Movie({.framesPerSecond = 30, .frames = 60}));
    Start();
    loop.advance(0.5);
    const size_t beforeStall = frames.size();
    EXPECT_GE(beforeStall, 14u);
    player.videoDisplayLink()->setPaused(true);
    loop.advance(0.5);
    EXPECT_EQ(frames.size(), beforeStall);
    player.videoDisplayLink()->setPaused(false);
    loop.advance(1.5);
    EXPECT_LT(frames.size(), 50u) << "late frames dropped";
    EXPECT_GT(frames.back().time, 1.5) << "and it plays on";
    for (const Delivery& d : frames) EXPECT_LE(d.clock - d.time, 0.1 + 1e-9);
    EXPECT_GT(frames[beforeStall].time - frames[beforeStall - 1].time, 0.3) << "a gap where it caught up";
}

// Stop while playing shows the first frame again and tells the delegate YES; playing again
// starts from the first frame.
TEST_F(MoviePlayer, StopShowsTheFirstFrameAgain) {
    player.setUrl(Movie({}));
    Start();
    loop.advance(0.3);
    ASSERT_GT(frames.size(), 5u);
    frames.clear();
    player.stop();
    EXPECT_FALSE(player.active());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].time, 0);
    EXPECT_EQ(endings, std::vector<bool>{true});
    EXPECT_EQ(player.videoDisplayLink(), nullptr);
    player.stop();  // not active: nothing
    EXPECT_EQ(endings.size(), 1u);
    Start();
    loop.advance(0.05);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_DOUBLE_EQ(frames[0].time, 1.0 / 30);
}

// The track's transform gives the orientation; landscape is the orientation's answer, turned
// round for a buffer taller than wide.
TEST_F(MoviePlayer, OrientationAndLandscapeFromTheTrack) {
    struct Case {
        int32_t width, height;
        CGAffineTransform transform;
        UIImageOrientation orientation;
        bool landscape;
    };
    const Case cases[] = {
        {108, 192, CGAffineTransform{0, 1, -1, 0, 0, 0}, UIImageOrientation::Right, true},
        {192, 108, CGAffineTransform{0, 1, -1, 0, 0, 0}, UIImageOrientation::Right, false},
        {192, 108, CGAffineTransformIdentity, UIImageOrientation::Up, true},
        {108, 192, CGAffineTransform{-1, 0, 0, -1, 0, 0}, UIImageOrientation::Down, false},
        {192, 108, CGAffineTransform{0, -1, 1, 0, 0, 0}, UIImageOrientation::Left, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        player.setUrl(Movie({.width = c.width, .height = c.height, .frames = 2, .transform = c.transform},
                            "movie" + std::to_string(n++) + ".mov"));
        EXPECT_EQ(player.imageOrientation(), c.orientation);
        EXPECT_EQ(player.bufferDimensions().width, c.width);
        EXPECT_EQ(player.bufferDimensions().height, c.height);
        EXPECT_EQ(player.videoDimensions().width, c.width);
        EXPECT_EQ(player.isLandscape(), c.landscape);
    }
}

// The sound starts with the first frame handed over, in the playback category mixed with
// others, and keeps pace with the clock; a new playback starts it afresh.
TEST_F(MoviePlayer, SoundStartsWithTheFirstFrame) {
    AVAudioSession& session = AVAudioSession::sharedInstance();
    session.setCategory(AVAudioSessionCategorySoloAmbient, AVAudioSessionCategoryOptions{0});
    session.setActive(false);
    player.setUrl(Movie({.frames = 60, .sound = true}));
    EXPECT_EQ(player.audioTrackPlayer(), nullptr) << "not for the still";
    Start();
    EXPECT_EQ(player.audioTrackPlayer(), nullptr);
    loop.advance(0.02);
    EXPECT_EQ(player.audioTrackPlayer(), nullptr) << "the second frame is not yet due";
    loop.advance(0.04);
    ASSERT_EQ(frames.size(), 1u);
    const AVPlayerRef sound = player.audioTrackPlayer();
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->rate(), 1);
    EXPECT_GT(sound->samplesPlayed(), 0);
    EXPECT_EQ(session.category(), AVAudioSessionCategoryPlayback);
    EXPECT_EQ(session.categoryOptions(), AVAudioSessionCategoryOptionMixWithOthers);
    EXPECT_TRUE(session.isActive());
    loop.advance(1.0);
    EXPECT_EQ(player.audioTrackPlayer(), sound) << "once per playback";
    const double position = CMTimeGetSeconds(sound->currentTime());
    EXPECT_GT(position, 0.9);
    EXPECT_LT(position, 1.2);
    loop.advance(2);
    EXPECT_EQ(sound->rate(), 0) << "the end of the sound";
    EXPECT_NEAR(CMTimeGetSeconds(sound->currentTime()), 2.0, 0.1);
    player.stop();
    EXPECT_EQ(player.audioTrackPlayer(), nullptr);

    player.setUrl(Movie({.frames = 10}, "silent.mov"));
    Start();
    loop.advance(0.2);
    EXPECT_FALSE(frames.empty());
    EXPECT_EQ(player.audioTrackPlayer(), nullptr) << "a movie without sound";
}

// Truncated and bit-flipped movies, URLs of other schemes and a playlist: no frame from
// anything that does not open, and whatever opens ends told, never with a crash or leak.
TEST_F(MoviePlayer, DamagedFilesAndOtherUrlsFailCleanly) {
    const std::string good = Movie({.frames = 30});
    std::ifstream in(good, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    const auto write = [&](const std::string& name, const std::string& content) {
        std::ofstream((dir / name).string(), std::ios::binary) << content;
        return (dir / name).string();
    };
    std::string flipped = bytes;
    for (size_t i = bytes.size() / 3; i < bytes.size(); i += 53) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    std::string headerFlipped = bytes;
    for (size_t i = 0; i < 64; i += 3) headerFlipped[i] = static_cast<char>(headerFlipped[i] ^ 0xFF);

    struct Case {
        std::string url;
        bool opens;  // may open and show frames before it fails
    };
    const Case cases[] = {
        {write("empty.mov", ""), false},
        {write("short.mov", bytes.substr(0, 64)), false},
        {write("header.mov", headerFlipped), false},
        {write("half.mov", bytes.substr(0, bytes.size() / 2)), true},
        {write("most.mov", bytes.substr(0, bytes.size() - 40)), true},
        {write("flipped.mov", flipped), true},
        {write("list.m3u8", "#EXTM3U\n#EXTINF:1,\nfile://" + good + "\n"), false},
        {write("list.mov", "#EXTM3U\n#EXTINF:1,\n" + good + "\n"), false},
        {"concat:" + good + "|" + good, false},
        {"http://127.0.0.1:9/movie.mov", false},
        {"file:relative/movie.mov", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        frames.clear();
        endings.clear();
        player.setUrl(c.url);
        Start();
        loop.advance(2);
        if (!c.opens) {
            EXPECT_FALSE(player.active());
            EXPECT_TRUE(frames.empty());
            EXPECT_TRUE(endings.empty());
        } else if (player.active()) {
            EXPECT_EQ(endings, std::vector<bool>{false});
            EXPECT_EQ(player.videoDisplayLink(), nullptr);
        }
        player.stop();
    }
}

}  // namespace
