#pragma once
// Movies made at test time by the asset writer: solid BGRA frames at a given rate, an optional
// track transform and an optional second of sine sound per second of picture.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/avfoundation/AVAssetWriter.h"
#include "platform/avfoundation/AVAssetWriterInputPixelBufferAdaptor.h"

struct TestMovie {
    int32_t width = 64, height = 48;
    int32_t framesPerSecond = 30;
    int32_t frames = 30;
    CGAffineTransform transform = CGAffineTransformIdentity;
    bool sound = false;
    uint8_t bgr[3] = {30, 40, 220};  // red
};

inline void WriteTestMovie(const std::string& path, const TestMovie& movie) {
    using namespace platform;
    // The inputs outlive the writer that refers to them.
    AVAssetWriterInput video(AVMediaKind::Video, AVWriterInputSettings{movie.width, movie.height});
    video.setTransform(movie.transform);
    std::unique_ptr<AVAssetWriterInput> audio;
    if (movie.sound) audio = std::make_unique<AVAssetWriterInput>(AVMediaKind::Audio, AVWriterInputSettings{});
    AVAssetWriter writer(path);
    writer.addInput(video);
    if (audio) writer.addInput(*audio);
    ASSERT_TRUE(writer.startWriting()) << writer.error();
    writer.startSessionAtSourceTime(CMTimeMake(0, movie.framesPerSecond));
    AVAssetWriterInputPixelBufferAdaptor adaptor(video);
    const int soundMs = 1000 * movie.frames / movie.framesPerSecond;
    for (int i = 0, ms = 0; i < movie.frames; ++i) {
        CVPixelBufferRef pixels;
        ASSERT_EQ(CVPixelBufferCreate(movie.width, movie.height, kCVPixelFormatType_32BGRA, &pixels), kCVReturnSuccess);
        CVPixelBufferLockBaseAddress(pixels, 0);
        auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(pixels));
        for (int32_t y = 0; y < movie.height; ++y)
            for (int32_t x = 0; x < movie.width; ++x) {
                uint8_t* p = base + static_cast<size_t>(y) * CVPixelBufferGetBytesPerRow(pixels) + x * 4;
                p[0] = movie.bgr[0], p[1] = movie.bgr[1], p[2] = movie.bgr[2], p[3] = 255;
            }
        CVPixelBufferUnlockBaseAddress(pixels, 0);
        ASSERT_TRUE(adaptor.appendPixelBuffer(pixels, CMTimeMake(i, movie.framesPerSecond)));
        // Sound alongside, up to the end of this frame.
        for (; audio && ms < 1000 * (i + 1) / movie.framesPerSecond && ms < soundMs; ms += 20) {
            std::vector<int16_t> pcm(882);
            for (size_t k = 0; k < pcm.size(); ++k)
                pcm[k] = static_cast<int16_t>(5000 * std::sin(0.05 * static_cast<double>(k)));
            ASSERT_TRUE(
                audio->appendSampleBuffer(CMSampleBuffer::audioPCM(std::move(pcm), 1, 44100, CMTimeMake(ms, 1000))));
        }
    }
    ASSERT_TRUE(writer.finishWriting()) << writer.error();
}
