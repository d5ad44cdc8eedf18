// The simulated camera recorded in real time through the camera view and the engine, with the
// microphone on, into a real movie decoded back: a QuickTime file of H.264 and mono 44.1 kHz
// AAC with strictly increasing times, each frame matching the pixels the engine's frame source
// read for it, the scene's corner markers turned by each orientation's quarter turns, a redraw
// without a new frame dropped rather than fatal, and no sound from before the first frame.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include "CameraRigFixture.h"
#include "camera/capture/CameraController.h"
#include "camera/movie/EngineMovieRecorder.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"
#include "platform/avfoundation/AVAssetReader.h"
#include "platform/avfoundation/SimulatedCamera.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

// What the recorder pulled through the engine's frame source: each frame's pixels (BGRA rows
// as the movie gets them) by its time in seconds.
struct ReadFrames {
    int32_t width = 0, height = 0;
    std::map<int64_t, std::vector<uint8_t>> byMicroseconds;
};

class SpySource : public VideoFrameSource {
public:
    SpySource(std::shared_ptr<VideoFrameSource> source, ReadFrames* read) : source_(std::move(source)), read_(read) {}
    bool sample(uint8_t* pixels, uint64_t bytesPerRow) override {
        if (!source_->sample(pixels, bytesPerRow)) return false;
        std::vector<uint8_t>& copy = read_->byMicroseconds[time_];
        copy.resize(static_cast<size_t>(read_->width) * read_->height * 4);
        for (int32_t y = 0; y < read_->height; ++y)
            std::copy_n(pixels + y * bytesPerRow, static_cast<size_t>(read_->width) * 4,
                        copy.data() + y * read_->width * 4);
        return true;
    }
    bool sampleTime(sFrameTime* time) override {
        const bool has = source_->sampleTime(time);
        if (has && time->timescale > 0) time_ = std::llround(1e6 * static_cast<double>(time->value) / time->timescale);
        return has;
    }
    sFrameTime startTime() override { return source_->startTime(); }

private:
    std::shared_ptr<VideoFrameSource> source_;
    ReadFrames* read_;
    int64_t time_ = -1;
};

class SpyRecorder : public EngineMovieRecorder {
public:
    SpyRecorder(std::string filename, ReadFrames* read) : EngineMovieRecorder(std::move(filename)), read_(read) {}
    bool start(int32_t width, int32_t height, std::shared_ptr<VideoFrameSource> frameSource, bool audio) override {
        read_->width = width, read_->height = height;
        return EngineMovieRecorder::start(width, height, std::make_shared<SpySource>(std::move(frameSource), read_),
                                          audio);
    }

private:
    ReadFrames* read_;
};

// The luma PSNR of two BGRA frames (the movie keeps colour at a quarter of the resolution, so
// sharp colour edges are not compared pixel by pixel).
double Psnr(const uint8_t* a, const uint8_t* b, int32_t width, int32_t height, size_t strideB) {
    const auto luma = [](const uint8_t* p) { return 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2]; };
    double sum = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const double d = luma(a + (y * width + x) * 4) - luma(b + y * strideB + x * 4);
            sum += d * d;
        }
    const double mse = sum / (static_cast<double>(width) * height);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The scene marker (0 top left, 1 top right, 2 bottom left, 3 bottom right) near a corner of a
// decoded BGRA frame, or -1.
int MarkerAt(const uint8_t* bgra, size_t stride, int32_t width, int32_t height, bool right, bool bottom) {
    const int32_t x = right ? width * 95 / 100 : width * 5 / 100;
    const int32_t y = bottom ? height * 95 / 100 : height * 5 / 100;
    const uint8_t* p = bgra + y * stride + x * 4;
    for (int m = 0; m < 4; ++m) {
        bool match = true;
        for (int c = 0; c < 3; ++c) match = match && (SimulatedCamera::kMarkers[m][c] > 128) == (p[c] > 128);
        if (match) return m;
    }
    return -1;
}

class CameraMovieTest : public CameraRigFixture {
protected:
    void SetUp() override {
        CameraRigFixture::SetUp();
        dir = fs::temp_directory_path() / ("tavorin-camera-movie-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        CameraController::installInGraphicsViews();
        VideoRecorder::SetFactory([this] { return std::make_unique<SpyRecorder>(movie, &read); });
        view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 60, 80));
        ASSERT_NE(view->graphicsController(), nullptr) << "no OpenGL ES 2 context";
    }
    void TearDown() override {
        view.reset();
        EngineMovieRecorder::register_();
        CameraRigFixture::TearDown();
        fs::remove_all(dir);
    }

    fs::path dir;
    std::string movie;
    ReadFrames read;
    std::shared_ptr<GraphicsView> view;
};

TEST_F(CameraMovieTest, RecordsTheCameraThroughTheEngineWithItsSound) {
    struct Case {
        int64_t orientation;
        const char* corners;  // scene markers at the movie frame's TL, TR, BL, BR
    };
    // Read-back rows come bottom first, so without a turn the scene lands upside down; the
    // quarter turns go either way from there, and the half turn brings it upright.
    const Case cases[] = {{2, "3210"}, {0, "1302"}, {1, "2031"}, {3, "0123"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        movie = (dir / ("movie" + std::to_string(c.orientation) + ".mov")).string();
        read = {};
        view->graphicsController()->videoRecording.recorder.reset();  // a recorder for this file

        view->startVideoController();
        CameraController::of(*view).videoController().enableAudioInput();  // the microphone
        CameraController::of(*view).videoController().enableAudio(true);
        ASSERT_NE(CameraController::of(*view).videoController().audioInput(), nullptr);
        int sounds = 0;
        CameraController::of(*view).videoController().setAudioTarget([&](const CMSampleBufferRef& b) {
            ++sounds;
            view->setAudio(b);
        });
        loop.advance(0.2);
        view->beginVideoRecordingWithOrientation(c.orientation);
        ASSERT_EQ(view->graphicsController()->videoRecording.mode, eRecordingMode::RealTime);
        for (int i = 0; i < 30; ++i) {
            loop.advance(1.0 / 30);
            if (i % 5 == 0) {
                // A redraw without a new frame repeats the last time.
                view->graphicsController()->frameDirty = true;
                view->drawView();
            }
        }
        EXPECT_EQ(view->finishVideoRecording(), movie);
        view->stopVideoController();

        // Container and codecs as a third party sees them.
        AVFormatContext* probe = nullptr;
        ASSERT_EQ(avformat_open_input(&probe, movie.c_str(), nullptr, nullptr), 0);
        const std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> closer(&probe, avformat_close_input);
        ASSERT_GE(avformat_find_stream_info(probe, nullptr), 0);
        const AVDictionaryEntry* brand = av_dict_get(probe->metadata, "major_brand", nullptr, 0);
        EXPECT_EQ(std::string(brand ? brand->value : ""), "qt  ");
        ASSERT_EQ(probe->nb_streams, 2u);
        EXPECT_EQ(probe->streams[0]->codecpar->codec_id, AV_CODEC_ID_H264);
        EXPECT_EQ(probe->streams[1]->codecpar->codec_id, AV_CODEC_ID_AAC);
        EXPECT_EQ(probe->streams[1]->codecpar->sample_rate, 44100);
        EXPECT_EQ(probe->streams[1]->codecpar->ch_layout.nb_channels, 1);

        const auto asset = AVURLAsset::URLAssetWithURL(movie);
        AVAssetReader reader(asset);
        AVAssetReaderTrackOutput video(AVMediaKind::Video), sound(AVMediaKind::Audio);
        reader.addOutput(video);
        reader.addOutput(sound);
        ASSERT_TRUE(reader.startReading());
        ASSERT_FALSE(read.byMicroseconds.empty());
        const int64_t start = read.byMicroseconds.begin()->first;
        int frames = 0;
        double last = -1;
        while (CMSampleBufferRef s = video.copyNextSampleBuffer()) {
            const double at = CMTimeGetSeconds(s->presentationTimeStamp());
            EXPECT_GT(at, last);
            last = at;
            const auto it = read.byMicroseconds.lower_bound(start + std::llround(at * 1e6) - 500);
            ASSERT_TRUE(it != read.byMicroseconds.end() && it->first < start + std::llround(at * 1e6) + 500)
                << "a frame the source read, at " << at;
            const CVPixelBufferRef& pb = s->imageBuffer();
            ASSERT_EQ(static_cast<int32_t>(pb->width()), read.width & ~1);
            ASSERT_EQ(static_cast<int32_t>(pb->height()), read.height & ~1);
            CVPixelBufferLockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
            const auto* pixels = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(pb));
            EXPECT_GT(Psnr(it->second.data(), pixels, read.width & ~1, read.height & ~1, pb->bytesPerRow()), 35);
            std::string corners;
            for (auto [right, bottom] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}})
                corners +=
                    std::to_string(MarkerAt(pixels, pb->bytesPerRow(), pb->width(), pb->height(), right, bottom));
            EXPECT_EQ(corners, c.corners);
            CVPixelBufferUnlockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
            ++frames;
        }
        EXPECT_GE(frames, 10);
        EXPECT_LE(frames, static_cast<int>(read.byMicroseconds.size()));

        double firstSound = -1, soundSeconds = 0;
        while (CMSampleBufferRef s = sound.copyNextSampleBuffer()) {
            if (firstSound < 0) firstSound = CMTimeGetSeconds(s->presentationTimeStamp());
            soundSeconds += static_cast<double>(s->numSamples()) / s->formatDescription().sampleRate;
        }
        EXPECT_GE(firstSound, 0) << "nothing from before the first frame";
        EXPECT_GT(soundSeconds, 0.5);
        EXPECT_EQ(reader.status(), AVAssetReaderStatus::Completed);
    }
}

}  // namespace
