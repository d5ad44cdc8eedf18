// The pull-model recorder on a real file: the delegate is asked on the main thread, frame by
// frame and buffer by buffer, until it has none; a skip keeps the buffer; a cancel still
// finishes a complete movie; the delegate hears of the movie exactly once.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "camera/movie/QVVideoRecorder.h"
#include "platform/avfoundation/AVAssetReader.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

struct Supplier : QVVideoRecorderDelegate {
    int frames = 0, framesWanted = 0, sounds = 0, soundsWanted = 0;
    int skipAt = -1, cancelAfter = -1, repeatTimeAt = -1;
    bool audio = true;
    QVVideoRecorder* recorder = nullptr;
    std::vector<std::string> finished;
    std::vector<QVVideoFrameRecord> asks;  // as each ask arrived, before it was answered
    bool skipped = false;

    bool doesHaveAudio() override { return audio; }
    void getVideoFrame(QVVideoFrameRecord* r) override {
        EXPECT_TRUE(std::this_thread::get_id() == mainThread);
        asks.push_back(*r);
        if (frames == cancelAfter) recorder->cancel();
        if (frames >= framesWanted) return;
        if (frames == skipAt && !skipped) {
            skipped = true;
            r->skip = true;
            r->frameReady = true;
            return;
        }
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                uint8_t* p = r->pixels + static_cast<size_t>(y) * r->bytesPerRow + static_cast<size_t>(x) * 4;
                p[0] = 20, p[1] = 200, p[2] = 30, p[3] = 255;
            }
        r->presentationTime = CMTimeMake(frames == repeatTimeAt ? frames - 1 : frames, 30);
        ++frames;
        r->frameReady = true;
    }
    void getAudioSample(CMSampleBufferRef* sample) override {
        if (sounds >= soundsWanted) return;
        std::vector<int16_t> pcm(882);
        for (size_t i = 0; i < pcm.size(); ++i)
            pcm[i] = static_cast<int16_t>(5000 * std::sin(static_cast<double>(i) * 0.05));
        *sample = CMSampleBuffer::audioPCM(std::move(pcm), 1, 44100, CMTimeMake(20 * sounds++, 1000));
    }
    void finishedRecording(const std::string& filename) override { finished.push_back(filename); }
    std::thread::id mainThread = std::this_thread::get_id();
};

// Turns the main loop until the delegate hears of the movie, or 30 s pass (a bound for a stuck
// pump, not a speed check).
bool RunUntilFinished(const Supplier& supplier) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (supplier.finished.empty() && std::chrono::steady_clock::now() < limit)
        if (!loop.runOnce()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !supplier.finished.empty();
}

int CountFrames(const std::string& path) {
    AVAssetReader reader(AVURLAsset::URLAssetWithURL(path));
    AVAssetReaderTrackOutput output(AVMediaKind::Video);
    reader.addOutput(output);
    if (!reader.startReading()) return -1;
    int n = 0;
    while (output.copyNextSampleBuffer()) ++n;
    return reader.status() == AVAssetReaderStatus::Completed ? n : -1;
}

class PullRecorder : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavorin-pull-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(PullRecorder, AsksUntilTheDelegateHasNoneAndNamesTheCompleteMovie) {
    struct Case {
        bool audio;
        int skipAt, cancelAfter, wantFrames;
    };
    const Case cases[] = {{true, 3, -1, 12}, {false, -1, -1, 12}, {true, -1, 5, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.audio) + " " + std::to_string(c.cancelAfter));
        const std::string movie = (dir_ / "pulled.mov").string();
        fs::remove(movie);
        Supplier supplier;
        supplier.framesWanted = 12;
        supplier.soundsWanted = 20;
        supplier.audio = c.audio;
        supplier.skipAt = c.skipAt;
        supplier.cancelAfter = c.cancelAfter;
        QVVideoRecorder recorder(&supplier, movie);
        supplier.recorder = &recorder;
        ASSERT_TRUE(recorder.start(64, 48, nullptr));
        EXPECT_FALSE(recorder.start(64, 48, nullptr)) << "a recording runs";
        ASSERT_TRUE(RunUntilFinished(supplier));
        EXPECT_EQ(supplier.finished, std::vector<std::string>{movie});
        EXPECT_EQ(CountFrames(movie), c.wantFrames);
        for (const QVVideoFrameRecord& ask : supplier.asks) {
            EXPECT_FALSE(ask.frameReady || ask.skip) << "flags preset before every ask";
            EXPECT_EQ(ask.presentationTime.value, 0);
        }
        if (c.audio && c.cancelAfter < 0) {
            EXPECT_EQ(supplier.sounds, 20);
        }
    }
}

TEST_F(PullRecorder, AFailedMovieIsReportedOnceWithoutANameAndLeavesNoFile) {
    Supplier supplier;
    supplier.framesWanted = 8;
    supplier.soundsWanted = 10;
    supplier.repeatTimeAt = 4;  // the writer cannot take a time twice
    QVVideoRecorder recorder(&supplier, (dir_ / "failed.mov").string());
    supplier.recorder = &recorder;
    ASSERT_TRUE(recorder.start(64, 48, nullptr));
    ASSERT_TRUE(RunUntilFinished(supplier));
    EXPECT_EQ(supplier.finished, std::vector<std::string>{""});
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(PullRecorder, NoFirstFrameMeansNoRecordingAndNoFile) {
    Supplier supplier;
    QVVideoRecorder recorder(&supplier, (dir_ / "none.mov").string());
    EXPECT_FALSE(recorder.start(64, 48, nullptr));
    EXPECT_TRUE(supplier.finished.empty());
    EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
