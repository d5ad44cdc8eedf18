// The engine recording its processed frames into a real movie through the camera's recorder:
// the file decodes with strictly increasing times and the colours of the input, whichever
// byte order the input had.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "camera/movie/EngineMovieRecorder.h"
#include "engine/AmbrelGraphicsController.h"
#include "gpu/Device.h"
#include "platform/avfoundation/AVAssetReader.h"
#include "platform/opengles/CAEAGLLayer.h"

using namespace QV::Graphics;
using namespace platform;
namespace fs = std::filesystem;

TEST(EngineMovie, RecordedFramesDecodeInOrderWithTheirColours) {
    const fs::path dir = fs::temp_directory_path() / ("tavorin-engine-movie-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);

    CAEAGLLayer layer(CGRectMake(0, 0, 96, 64));
    std::unique_ptr<IDevice> device = CDevice::Create(&layer, true, false, false);
    ASSERT_NE(device, nullptr);
    device->MakeCurrent();
    auto engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
    engine->SetViewRect(0, 0, 96, 64);
    engine->renderTarget = kRenderTargetOffscreen;

    constexpr int32_t w = 64, h = 32;
    for (const int32_t format : {kPixelFormatRGBA, kPixelFormatBGRA}) {
        SCOPED_TRACE(format);
        const std::string movie = (dir / ("movie" + std::to_string(format) + ".mov")).string();
        VideoRecorder::SetFactory([movie] { return std::make_unique<EngineMovieRecorder>(movie); });
        engine->videoRecording.recorder.reset();  // take up the factory of this case

        std::vector<uint8_t> red(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < red.size(); i += 4) {
            red[i + (format == kPixelFormatBGRA ? 2 : 0)] = 230;
            red[i + 1] = 20;
            red[i + (format == kPixelFormatBGRA ? 0 : 2)] = 20;
            red[i + 3] = 255;
        }
        int64_t t = 0;
        const auto frame = [&] {
            engine->SetInputPixels(sFrameTime::Make(++t, 30), sInputGeometry::Whole(w, h), 0, format, red.data());
            engine->RenderFrame();
        };
        frame();
        ASSERT_TRUE(engine->BeginVideoRecording(2, false));
        for (int i = 0; i < 12; ++i)  // six warm the ring up
            frame();
        engine->RenderFrame();  // a redraw without new input repeats a time: dropped, not fatal
        EXPECT_EQ(engine->FinishVideoRecording(), movie);

        AVAssetReader reader(AVURLAsset::URLAssetWithURL(movie));
        AVAssetReaderTrackOutput output(AVMediaKind::Video);
        reader.addOutput(output);
        ASSERT_TRUE(reader.startReading());
        int frames = 0;
        double last = -1;
        while (CMSampleBufferRef s = output.copyNextSampleBuffer()) {
            ++frames;
            const double at = CMTimeGetSeconds(s->presentationTimeStamp());
            EXPECT_GT(at, last);
            last = at;
            const CVPixelBufferRef& pb = s->imageBuffer();
            CVPixelBufferLockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
            const auto* centre = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(pb)) +
                                 (pb->height() / 2) * pb->bytesPerRow() + (pb->width() / 2) * 4;
            EXPECT_GT(centre[2], centre[0] + 100);  // red stays red
            CVPixelBufferUnlockBaseAddress(pb, kCVPixelBufferLock_ReadOnly);
        }
        EXPECT_EQ(reader.status(), AVAssetReaderStatus::Completed);
        EXPECT_GE(frames, 5);
    }
    VideoRecorder::SetFactory({});
    engine.reset();
    fs::remove_all(dir);
}
