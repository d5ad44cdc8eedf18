// Movies written by the asset writer and read back through the asset and its reader, in real
// files: codecs and container, frame colours and times, the fill crop and even sizes, the
// display matrix, failures that must leave no file, and damaged or foreign inputs. Inputs are
// declared before their writer, which holds them until it is destroyed.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/avfoundation/AVAssetReader.h"
#include "platform/avfoundation/AVAssetWriter.h"
#include "platform/avfoundation/AVAssetWriterInputPixelBufferAdaptor.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

using namespace platform;
namespace fs = std::filesystem;

struct RGB {
    int r, g, b;
};

class MovieFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavorin-movies-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

// A frame whose left `split` of columns is `left` and the rest `right`, in the given layout.
CVPixelBufferRef Frame(size_t w, size_t h, OSType format, RGB left, RGB right, double split = 0) {
    CVPixelBufferRef pb;
    EXPECT_EQ(CVPixelBufferCreate(w, h, format, &pb), kCVReturnSuccess);
    CVPixelBufferLockBaseAddress(pb, 0);
    auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(pb));
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const RGB c = static_cast<double>(x) < split * static_cast<double>(w) ? left : right;
            uint8_t* p = base + y * pb->bytesPerRow() + x * 4;
            const bool bgra = format == kCVPixelFormatType_32BGRA;
            p[0] = static_cast<uint8_t>(bgra ? c.b : c.r);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(bgra ? c.r : c.b);
            p[3] = 255;
        }
    CVPixelBufferUnlockBaseAddress(pb, 0);
    return pb;
}

// The mean colour of a decoded BGRA frame's block around (fx, fy) (fractions of the size).
RGB MeanAt(const CVPixelBufferRef& pb, double fx, double fy) {
    CVPixelBufferLockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
    const auto* base = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(pb));
    const int w = static_cast<int>(pb->width()), h = static_cast<int>(pb->height());
    const int cx = static_cast<int>(fx * w), cy = static_cast<int>(fy * h);
    long sum[3] = {0, 0, 0};
    int n = 0;
    for (int y = std::max(0, cy - 4); y < std::min(h, cy + 4); ++y)
        for (int x = std::max(0, cx - 4); x < std::min(w, cx + 4); ++x, ++n)
            for (int k = 0; k < 3; ++k)
                sum[k] += base[static_cast<size_t>(y) * pb->bytesPerRow() + static_cast<size_t>(x) * 4 +
                               static_cast<size_t>(k)];
    CVPixelBufferUnlockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
    return {static_cast<int>(sum[2] / n), static_cast<int>(sum[1] / n), static_cast<int>(sum[0] / n)};
}

void ExpectNear(RGB got, RGB want, const char* what) {
    EXPECT_NEAR(got.r, want.r, 12) << what;
    EXPECT_NEAR(got.g, want.g, 12) << what;
    EXPECT_NEAR(got.b, want.b, 12) << what;
}

// 16-bit stereo 48 kHz tone buffers of 20 ms from `startMs`.
CMSampleBufferRef Tone(int startMs) {
    std::vector<int16_t> pcm(960 * 2);
    for (size_t i = 0; i < 960; ++i)
        pcm[2 * i] = pcm[2 * i + 1] =
            static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * static_cast<double>(i) / 48000));
    return CMSampleBuffer::audioPCM(std::move(pcm), 2, 48000, CMTimeMake(startMs, 1000));
}

std::vector<CMSampleBufferRef> ReadAll(const std::string& path, AVMediaKind type, AVAssetReaderStatus* status) {
    AVAssetReader reader(AVURLAsset::URLAssetWithURL("file://" + path));
    AVAssetReaderTrackOutput output(type);
    EXPECT_TRUE(reader.canAddOutput(output));
    reader.addOutput(output);
    EXPECT_TRUE(reader.startReading());
    std::vector<CMSampleBufferRef> samples;
    while (CMSampleBufferRef s = output.copyNextSampleBuffer()) samples.push_back(s);
    *status = reader.status();
    return samples;
}

// Waits (at most 30 s, a bound for a stuck encoder, not a speed check) until a real-time input
// has room again.
bool WaitUntilReady(const AVAssetWriterInput& input) {
    for (int i = 0; i < 30000 && !input.isReadyForMoreMediaData(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return input.isReadyForMoreMediaData();
}

const RGB kRed{230, 20, 20}, kGreen{20, 200, 40}, kBlue{30, 40, 220};

TEST_F(MovieFiles, ColoursTimesAndCodecsSurviveTheRoundTripInEitherPixelLayout) {
    for (OSType format : {kCVPixelFormatType_32BGRA, kCVPixelFormatType_32RGBA}) {
        SCOPED_TRACE(format);
        const std::string movie = path("colours.mov");
        const RGB colours[] = {kRed, kGreen, kBlue};
        {
            AVAssetWriterInput video(AVMediaKind::Video, {320, 240});
            AVAssetWriterInput audio(AVMediaKind::Audio, {});
            AVAssetWriter writer(movie);
            video.setExpectsMediaDataInRealTime(true);
            writer.addInput(video);
            writer.addInput(audio);
            AVAssetWriterInputPixelBufferAdaptor adaptor(video);
            ASSERT_TRUE(writer.startWriting()) << writer.error();
            EXPECT_TRUE(fs::exists(movie + ".partial"));
            EXPECT_FALSE(fs::exists(movie));
            writer.startSessionAtSourceTime(CMTimeMake(1000, 1000));
            EXPECT_FALSE(audio.appendSampleBuffer(Tone(980))) << "sound before the start";
            for (int i = 0; i < 9; ++i) {
                ASSERT_TRUE(WaitUntilReady(video));
                ASSERT_TRUE(adaptor.appendPixelBuffer(Frame(320, 240, format, colours[i / 3], colours[i / 3]),
                                                      CMTimeMake(1000 + i * 100, 1000)));
            }
            for (int ms = 1000; ms < 1300; ms += 20) {
                ASSERT_TRUE(WaitUntilReady(audio));
                ASSERT_TRUE(audio.appendSampleBuffer(Tone(ms)));
            }
            ASSERT_TRUE(writer.finishWriting()) << writer.error();
            EXPECT_EQ(writer.status(), AVAssetWriterStatus::Completed);
        }
        EXPECT_TRUE(fs::exists(movie));
        EXPECT_FALSE(fs::exists(movie + ".partial"));

        // Container and codecs as a third party sees them.
        AVFormatContext* probe = nullptr;
        ASSERT_EQ(avformat_open_input(&probe, movie.c_str(), nullptr, nullptr), 0);
        ASSERT_GE(avformat_find_stream_info(probe, nullptr), 0);
        EXPECT_NE(std::string(probe->iformat->name).find("mov"), std::string::npos);
        std::vector<AVCodecID> codecs;
        for (unsigned i = 0; i < probe->nb_streams; ++i) codecs.push_back(probe->streams[i]->codecpar->codec_id);
        EXPECT_EQ(codecs, (std::vector<AVCodecID>{AV_CODEC_ID_H264, AV_CODEC_ID_AAC}));
        avformat_close_input(&probe);

        const auto asset = AVURLAsset::URLAssetWithURL(movie);
        ASSERT_TRUE(asset->isReadable());
        ASSERT_TRUE(asset->videoTrack() && asset->audioTrack());
        EXPECT_EQ(asset->videoTrack()->naturalSize.width, 320);
        EXPECT_EQ(asset->audioTrack()->sampleRate, 44100);
        EXPECT_EQ(asset->audioTrack()->channels, 1);

        AVAssetReaderStatus status;
        const auto frames = ReadAll(movie, AVMediaKind::Video, &status);
        EXPECT_EQ(status, AVAssetReaderStatus::Completed);
        ASSERT_EQ(frames.size(), 9u);
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_NEAR(CMTimeGetSeconds(frames[i]->presentationTimeStamp()), 0.1 * static_cast<double>(i), 1e-3);
            ExpectNear(MeanAt(frames[i]->imageBuffer(), 0.5, 0.5), colours[i / 3], "frame colour");
        }
        const auto sound = ReadAll(movie, AVMediaKind::Audio, &status);
        EXPECT_EQ(status, AVAssetReaderStatus::Completed);
        size_t samples = 0;
        for (size_t i = 0; i < sound.size(); ++i) {
            samples += static_cast<size_t>(sound[i]->numSamples());
            if (i > 0) {
                EXPECT_GT(CMTimeCompare(sound[i]->presentationTimeStamp(), sound[i - 1]->presentationTimeStamp()), 0);
            }
        }
        EXPECT_GE(samples, 0.3 * 44100 - 1024);  // 0.3 s of sound, resampled to the track's rate
        fs::remove(movie);
    }
}

TEST_F(MovieFiles, FramesFillTheTrackCroppedToItsAspectAtEvenSizes) {
    struct Case {
        int srcW, srcH, trackW, trackH, wantW, wantH;
    };
    // Left 20 % red, the rest green: a crop to a narrower aspect loses the red.
    const Case cases[] = {
        {640, 360, 321, 181, 320, 180}, {400, 400, 181, 321, 180, 320}, {360, 640, 320, 320, 320, 320}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.srcW) + "x" + std::to_string(c.srcH) + " -> " + std::to_string(c.trackW));
        const std::string movie = path("fill.mov");
        {
            AVAssetWriterInput video(AVMediaKind::Video, {c.trackW, c.trackH});
            AVAssetWriter writer(movie);
            writer.addInput(video);
            ASSERT_TRUE(writer.startWriting());
            writer.startSessionAtSourceTime(kCMTimeZero);
            CMSampleBufferRef frame =
                CMSampleBuffer::videoFrame(Frame(static_cast<size_t>(c.srcW), static_cast<size_t>(c.srcH),
                                                 kCVPixelFormatType_32BGRA, kRed, kGreen, 0.2),
                                           kCMTimeZero, CMTimeMake(1, 30));
            ASSERT_TRUE(video.appendSampleBuffer(frame));
            ASSERT_TRUE(writer.finishWriting());
        }
        AVAssetReaderStatus status;
        const auto frames = ReadAll(movie, AVMediaKind::Video, &status);
        ASSERT_EQ(frames.size(), 1u);
        const CVPixelBufferRef& pb = frames[0]->imageBuffer();
        EXPECT_EQ(static_cast<int>(pb->width()), c.wantW);
        EXPECT_EQ(static_cast<int>(pb->height()), c.wantH);
        const bool cropsWidth = c.srcW * c.wantH > c.wantW * c.srcH;
        ExpectNear(MeanAt(pb, 0.02, 0.5), cropsWidth ? kGreen : kRed, "left edge");
        ExpectNear(MeanAt(pb, 0.8, 0.5), kGreen, "right part");
        fs::remove(movie);
    }
}

TEST_F(MovieFiles, TheInputTransformReadsBackAsTheTracksPreferredTransform) {
    const CGAffineTransform transforms[] = {
        CGAffineTransformIdentity, {0, 1, -1, 0, 240, 0}, {-1, 0, 0, -1, 320, 240}, {0, -1, 1, 0, 0, 320}};
    for (const CGAffineTransform& t : transforms) {
        const std::string movie = path("turned.mov");
        {
            AVAssetWriterInput video(AVMediaKind::Video, {320, 240});
            AVAssetWriter writer(movie);
            video.setTransform(t);
            writer.addInput(video);
            ASSERT_TRUE(writer.startWriting());
            writer.startSessionAtSourceTime(kCMTimeZero);
            ASSERT_TRUE(video.appendSampleBuffer(CMSampleBuffer::videoFrame(
                Frame(320, 240, kCVPixelFormatType_32BGRA, kRed, kRed), kCMTimeZero, kCMTimeInvalid)));
            ASSERT_TRUE(writer.finishWriting());
        }
        const auto asset = AVURLAsset::URLAssetWithURL("file://" + movie);
        ASSERT_TRUE(asset->videoTrack());
        EXPECT_EQ(asset->videoTrack()->preferredTransform, t);
        fs::remove(movie);
    }
}

TEST_F(MovieFiles, ATimeNotLaterThanTheLastFailsTheWriterAndLeavesNoFile) {
    const std::string movie = path("broken.mov");
    AVAssetWriterInput video(AVMediaKind::Video, {64, 64});
    AVAssetWriter writer(movie);
    writer.addInput(video);
    ASSERT_TRUE(writer.startWriting());
    writer.startSessionAtSourceTime(kCMTimeZero);
    const auto frame = [](int n) {
        return CMSampleBuffer::videoFrame(Frame(64, 64, kCVPixelFormatType_32BGRA, kRed, kRed), CMTimeMake(n, 30),
                                          CMTimeMake(1, 30));
    };
    ASSERT_TRUE(video.appendSampleBuffer(frame(1)));
    EXPECT_FALSE(video.appendSampleBuffer(frame(1)));
    EXPECT_EQ(writer.status(), AVAssetWriterStatus::Failed);
    EXPECT_FALSE(writer.error().empty());
    EXPECT_FALSE(video.isReadyForMoreMediaData());
    EXPECT_FALSE(video.appendSampleBuffer(frame(2)));
    EXPECT_FALSE(writer.finishWriting());
    EXPECT_FALSE(fs::exists(movie));
    EXPECT_FALSE(fs::exists(movie + ".partial"));
}

TEST_F(MovieFiles, AFailedStartOrACancelLeavesNoFile) {
    const std::string unwritable = path("missing-folder/x.mov");
    AVAssetWriterInput video(AVMediaKind::Video, {64, 64});
    AVAssetWriter writer(unwritable);
    writer.addInput(video);
    EXPECT_FALSE(writer.startWriting());
    EXPECT_EQ(writer.status(), AVAssetWriterStatus::Failed);

    const std::string movie = path("cancelled.mov");
    AVAssetWriterInput input(AVMediaKind::Video, {64, 64});
    AVAssetWriter cancelled(movie);
    cancelled.addInput(input);
    ASSERT_TRUE(cancelled.startWriting());
    cancelled.cancelWriting();
    EXPECT_EQ(cancelled.status(), AVAssetWriterStatus::Cancelled);
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(MovieFiles, DamagedForeignAndRemoteInputsFailCleanly) {
    const std::string movie = path("good.mov");
    {
        AVAssetWriterInput video(AVMediaKind::Video, {96, 64});
        AVAssetWriterInput audio(AVMediaKind::Audio, {});
        AVAssetWriter writer(movie);
        writer.addInput(video);
        writer.addInput(audio);
        ASSERT_TRUE(writer.startWriting());
        writer.startSessionAtSourceTime(kCMTimeZero);
        for (int i = 0; i < 15; ++i)
            ASSERT_TRUE(video.appendSampleBuffer(
                CMSampleBuffer::videoFrame(Frame(96, 64, kCVPixelFormatType_32BGRA, kRed, kBlue, i / 15.0),
                                           CMTimeMake(i, 30), CMTimeMake(1, 30))));
        for (int ms = 0; ms < 500; ms += 20) ASSERT_TRUE(audio.appendSampleBuffer(Tone(ms)));
        ASSERT_TRUE(writer.finishWriting());
    }
    std::ifstream in(movie, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);

    std::vector<std::string> damaged;
    for (double keep : {0.0, 0.01, 0.3, 0.6, 0.95})
        damaged.push_back(bytes.substr(0, static_cast<size_t>(keep * static_cast<double>(bytes.size()))));
    for (size_t step = 7; step < bytes.size(); step += bytes.size() / 9) {
        std::string flipped = bytes;
        for (size_t i = step; i < flipped.size(); i += 97) flipped[i] = static_cast<char>(flipped[i] ^ 0x5a);
        damaged.push_back(flipped);
    }
    damaged.push_back("#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n" + movie + "\n#EXT-X-ENDLIST\n");
    damaged.push_back("ffconcat version 1.0\nfile '" + movie + "'\n");
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string name = path("damaged" + std::to_string(i) + ".mov");
        std::ofstream(name, std::ios::binary) << damaged[i];
        const auto asset = AVURLAsset::URLAssetWithURL(name);
        if (!asset->isReadable()) continue;
        for (AVMediaKind type : {AVMediaKind::Video, AVMediaKind::Audio}) {
            AVAssetReader reader(asset);
            AVAssetReaderTrackOutput output(type);
            if (!reader.canAddOutput(output)) continue;
            reader.addOutput(output);
            if (!reader.startReading()) continue;
            int n = 0;
            while (output.copyNextSampleBuffer()) ++n;
            EXPECT_NE(reader.status(), AVAssetReaderStatus::Reading);
        }
    }
    // Playlists and concatenation lists never reach the good movie they name.
    for (size_t i = damaged.size() - 2; i < damaged.size(); ++i)
        EXPECT_FALSE(AVURLAsset::URLAssetWithURL(path("damaged" + std::to_string(i) + ".mov"))->isReadable());
    for (const std::string& url :
         std::vector<std::string>{"http://127.0.0.1:9/a.mov", "file:relative.mov", "concat:" + movie, "pipe:0", ""})
        EXPECT_FALSE(AVURLAsset::URLAssetWithURL(url)->isReadable()) << url;
    EXPECT_TRUE(AVURLAsset::URLAssetWithURL("file://" + movie)->isReadable());
}

}  // namespace
