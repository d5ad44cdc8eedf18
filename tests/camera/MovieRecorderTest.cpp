// The real-time movie recorder writing real files in a private temporary directory, read back
// through the asset reader: sizes, names and their deletion, dropped repeats, the session start
// from sound, movies that fail or stay empty, and the orientation of track transforms.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "camera/movie/QVFileUtility.h"
#include "camera/movie/QVImageOrientation.h"
#include "camera/movie/QVRealTimeVideoRecorder.h"
#include "platform/avfoundation/AVAssetReader.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

// BGRA frames: blue with a red block in the top-left quarter, at times the test sets.
struct TestFrames : QVRealTimeVideoRecorderFrame {
    int32_t width, height;
    CMTime* now;
    CMTime start;
    TestFrames(int32_t w, int32_t h, CMTime* clock, CMTime startTime)
        : width(w), height(h), now(clock), start(startTime) {}
    bool sample(uint8_t* pixels, size_t bytesPerRow) override {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* p = pixels + static_cast<size_t>(y) * bytesPerRow + static_cast<size_t>(x) * 4;
                const bool marker = x < width / 4 && y < height / 4;
                p[0] = marker ? 20 : 220;
                p[1] = 30;
                p[2] = marker ? 230 : 20;
                p[3] = 255;
            }
        return true;
    }
    bool sampleTime(CMTime* time) override {
        *time = *now;
        return true;
    }
    CMTime startTime() override { return start; }
};

// Waits (at most 30 s, a bound for a stuck encoder, not a speed check) until the recorder's
// encoding queue has room, so that no frame of a test is dropped.
void WaitUntilReady(const QVRealTimeVideoRecorder& recorder) {
    for (int i = 0; i < 30000 && !recorder.readyForAnotherFrame(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(recorder.readyForAnotherFrame());
}

CMSampleBufferRef Sound(int startMs, int ms = 20) {
    std::vector<int16_t> pcm(static_cast<size_t>(44100 * ms / 1000));
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<int16_t>(6000 * std::sin(static_cast<double>(i) * 0.06));
    return CMSampleBuffer::audioPCM(std::move(pcm), 1, 44100, CMTimeMake(startMs, 1000));
}

class MovieRecorder : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavorin-recorder-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const char* old = std::getenv("TMPDIR");
        oldTmp_ = old ? old : "";
        hadTmp_ = old != nullptr;
        ::setenv("TMPDIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (hadTmp_) ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        else ::unsetenv("TMPDIR");
        fs::remove_all(dir_);
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Starts `recorder` on w × h frames and records `frames` of them a thirtieth apart.
    bool Record(QVRealTimeVideoRecorder& recorder, int32_t w, int32_t h, int frames, bool audio = false,
                const CGAffineTransform* transform = nullptr) {
        if (!recorder.start(w, h, transform, std::make_unique<TestFrames>(w, h, &now_, CMTimeMake(0, 30)), audio))
            return false;
        for (int i = 0; i < frames; ++i) {
            WaitUntilReady(recorder);
            now_ = CMTimeMake(i, 30);
            EXPECT_TRUE(recorder.recordFrame());
        }
        return true;
    }
    fs::path dir_;
    std::string oldTmp_;
    bool hadTmp_ = false;
    CMTime now_ = kCMTimeZero;
};

std::vector<CMSampleBufferRef> Decode(const std::string& path, AVMediaKind kind) {
    AVAssetReader reader(AVURLAsset::URLAssetWithURL(path));
    AVAssetReaderTrackOutput output(kind);
    reader.addOutput(output);
    std::vector<CMSampleBufferRef> samples;
    if (!reader.startReading()) return samples;
    while (CMSampleBufferRef s = output.copyNextSampleBuffer()) samples.push_back(s);
    EXPECT_EQ(reader.status(), AVAssetReaderStatus::Completed);
    return samples;
}

TEST_F(MovieRecorder, MovieSizeFollowsThePreferredSizeTurnedToTheFrames) {
    struct Case {
        CGSize preferred;
        int32_t w, h;
        int32_t wantW, wantH;
    };
    const Case cases[] = {{{1280, 720}, 1920, 1080, 1280, 720},
                          {{1280, 720}, 1080, 1920, 720, 1280},
                          {{1280, 720}, 1080, 1080, 720, 1280},
                          {{0, 0}, 352, 288, 352, 288}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        QVRealTimeVideoRecorder recorder;
        recorder.setPreferredOutputSize(c.preferred);
        ASSERT_TRUE(Record(recorder, c.w, c.h, 2));
        recorder.stop();
        ASSERT_FALSE(recorder.filename().empty());
        const auto asset = AVURLAsset::URLAssetWithURL(recorder.filename());
        ASSERT_TRUE(asset->videoTrack());
        EXPECT_EQ(asset->videoTrack()->naturalSize.width, c.wantW);
        EXPECT_EQ(asset->videoTrack()->naturalSize.height, c.wantH);
    }
}

TEST_F(MovieRecorder, RecordsFramesAndSoundWithRepeatsDroppedAndEarlySoundRefused) {
    QVRealTimeVideoRecorder recorder;
    CMTime start = CMTimeMake(30, 30);
    ASSERT_TRUE(recorder.start(160, 120, nullptr, std::make_unique<TestFrames>(160, 120, &now_, start), true));
    EXPECT_TRUE(recorder.started());
    // Sound before any frame starts the session at the frame source's start time.
    EXPECT_FALSE(recorder.recordAudio(Sound(900)));
    EXPECT_TRUE(recorder.recordAudio(Sound(1000)));
    for (int i = 0; i < 10; ++i) {
        now_ = CMTimeMake(30 + i, 30);
        WaitUntilReady(recorder);
        EXPECT_TRUE(recorder.recordFrame());
        WaitUntilReady(recorder);
        EXPECT_TRUE(recorder.recordFrame()) << "a redraw at the same time is dropped, not a failure";
    }
    for (int ms = 1020; ms < 1340; ms += 20) {
        WaitUntilReady(recorder);
        EXPECT_TRUE(recorder.recordAudio(Sound(ms)));
    }
    recorder.stop();
    EXPECT_FALSE(recorder.started());
    const std::string movie = recorder.filename();
    ASSERT_EQ(movie, (dir_ / "Tavorin.mov").string());

    const auto asset = AVURLAsset::URLAssetWithURL(movie);
    ASSERT_TRUE(asset->audioTrack());
    EXPECT_EQ(asset->audioTrack()->sampleRate, 44100);
    EXPECT_EQ(asset->audioTrack()->channels, 1);
    const auto frames = Decode(movie, AVMediaKind::Video);
    ASSERT_EQ(frames.size(), 10u);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_NEAR(CMTimeGetSeconds(frames[i]->presentationTimeStamp()), static_cast<double>(i) / 30, 1e-3);
        const CVPixelBufferRef& pb = frames[i]->imageBuffer();
        CVPixelBufferLockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
        const auto* base = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(pb));
        const uint8_t* marker = base + 10 * pb->bytesPerRow() + 10 * 4;
        const uint8_t* rest = base + 100 * pb->bytesPerRow() + 120 * 4;
        EXPECT_GT(marker[2], 180);  // red marker stays top-left and red
        EXPECT_LT(marker[0], 60);
        EXPECT_GT(rest[0], 180);  // blue elsewhere
        EXPECT_LT(rest[2], 60);
        CVPixelBufferUnlockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
    }
    EXPECT_FALSE(Decode(movie, AVMediaKind::Audio).empty());
}

TEST_F(MovieRecorder, ItsOwnMovieIsReplacedAtTheNextStartAndRemovedAtRelease) {
    {
        QVRealTimeVideoRecorder recorder;
        ASSERT_TRUE(Record(recorder, 64, 48, 2));
        EXPECT_FALSE(recorder.start(64, 48, nullptr, nullptr, false)) << "a second start while recording";
        recorder.stop();
        EXPECT_EQ(Files(), std::vector<std::string>{"Tavorin.mov"});
        // A start right after a stop works; the previous movie goes.
        ASSERT_TRUE(Record(recorder, 64, 48, 2));
        recorder.stop();
        EXPECT_EQ(Files(), std::vector<std::string>{"Tavorin.mov"});

        // While another part of the program uses the movie, the next goes beside it.
        QVFileUtility::markUniqueFilename(recorder.filename(), true);
        ASSERT_TRUE(Record(recorder, 64, 48, 2));
        recorder.stop();
        EXPECT_EQ(recorder.filename(), (dir_ / "Tavorin1.mov").string());
        EXPECT_EQ(Files(), (std::vector<std::string>{"Tavorin.mov", "Tavorin1.mov"}));
        QVFileUtility::markUniqueFilename((dir_ / "Tavorin.mov").string(), false);
        EXPECT_EQ(Files(), std::vector<std::string>{"Tavorin1.mov"});
    }
    EXPECT_TRUE(Files().empty());
}

TEST_F(MovieRecorder, ACallersFileIsRecordedIntoAndNeverDeleted) {
    const std::string mine = (dir_ / "mine.mov").string();
    {
        QVRealTimeVideoRecorder recorder(mine);
        ASSERT_TRUE(Record(recorder, 64, 48, 3));
        recorder.stop();
        EXPECT_EQ(recorder.filename(), mine);
        const auto size = fs::file_size(mine);
        EXPECT_FALSE(recorder.start(64, 48, nullptr, std::make_unique<TestFrames>(64, 48, &now_, kCMTimeZero), false))
            << "the file exists: it is the caller's";
        EXPECT_EQ(fs::file_size(mine), size);
    }
    EXPECT_EQ(Files(), std::vector<std::string>{"mine.mov"});
    EXPECT_EQ(Decode(mine, AVMediaKind::Video).size(), 3u);
}

TEST_F(MovieRecorder, AMovieWithoutFramesOrWithoutAFrameSourceLeavesNoFile) {
    QVRealTimeVideoRecorder recorder;
    ASSERT_TRUE(Record(recorder, 64, 48, 0, true));
    EXPECT_TRUE(recorder.recordAudio(Sound(0))) << "sound alone starts the session";
    recorder.stop();
    EXPECT_TRUE(recorder.filename().empty());

    ASSERT_TRUE(recorder.start(64, 48, nullptr, nullptr, true));
    EXPECT_FALSE(recorder.recordFrame());
    EXPECT_FALSE(recorder.recordAudio(Sound(0))) << "no frame source to give a start time";
    recorder.stop();
    EXPECT_TRUE(recorder.filename().empty());
    EXPECT_TRUE(Files().empty());
}

TEST_F(MovieRecorder, TrackTransformsReadBackAsImageOrientations) {
    struct Case {
        CGAffineTransform transform;
        bool exact;
        UIImageOrientation orientation;
    };
    const double s = std::sqrt(0.5);
    const Case cases[] = {{{1, 0, 0, 1, 0, 0}, true, UIImageOrientation::Up},
                          {{-1, 0, 0, -1, 64, 48}, true, UIImageOrientation::Down},
                          {{0, -1, 1, 0, 0, 64}, true, UIImageOrientation::Left},
                          {{0, 1, -1, 0, 48, 0}, true, UIImageOrientation::Right},
                          {{s, s, -s, s, 0, 0}, false, UIImageOrientation::Up}};
    for (const Case& c : cases) {
        QVRealTimeVideoRecorder recorder;
        ASSERT_TRUE(Record(recorder, 64, 48, 1, false, &c.transform));
        recorder.stop();
        const auto asset = AVURLAsset::URLAssetWithURL(recorder.filename());
        ASSERT_TRUE(asset->videoTrack());
        UIImageOrientation orientation = UIImageOrientation::RightMirrored;
        EXPECT_EQ(QVImageOrientation::fromTransform(asset->videoTrack()->preferredTransform, &orientation), c.exact);
        EXPECT_EQ(orientation, c.orientation);
    }
}

}  // namespace
