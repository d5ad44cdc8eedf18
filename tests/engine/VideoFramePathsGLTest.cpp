// The engine's video frame paths on a real device: movie frames rendered through the pipeline
// come back two calls later with their own times and colours, and real-time recording hands
// frames to the registered recorder only between a successful begin and the finish, leaving
// no recording target behind.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "FakeVideoRecorder.h"
#include "gpu/Device.h"
#include "platform/opengles/CAEAGLLayer.h"
#include "gpu/Shader.h"

using namespace QV::Graphics;
using QV::Math::CMatrix4;

namespace {

constexpr int32_t kW = 32, kH = 16;

// A solid picture in the byte order of `format` (RGBA or BGRA).
std::vector<uint8_t> Solid(int32_t format, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> p(static_cast<size_t>(kW) * kH * 4);
    for (size_t i = 0; i < p.size(); i += 4) {
        p[i] = format == kPixelFormatBGRA ? b : r;
        p[i + 1] = g;
        p[i + 2] = format == kPixelFormatBGRA ? r : b;
        p[i + 3] = 255;
    }
    return p;
}

class VideoFramePathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Recording presents every frame too, so the device has a screen.
        device = CDevice::Create(&layer, true, false, false);
        ASSERT_NE(device, nullptr);
        device->MakeCurrent();
        engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
        engine->SetViewRect(0, 0, 96, 64);
        engine->renderTarget = kRenderTargetOffscreen;
    }
    void TearDown() override {
        VideoRecorder::SetFactory({});
        engine.reset();
        device.reset();
    }

    bool RenderAsset(const std::vector<uint8_t>* pixels, int64_t time, int32_t format, std::vector<uint8_t>& buffer,
                     sFrameTime& bufferTime) {
        buffer.assign(static_cast<size_t>(kW) * kH * 4, 0);
        return engine->RenderVideoAssetFrame(kW, kH, kW, kH, 0, 0, kW, kH, 0, 0, format,
                                             pixels ? pixels->data() : nullptr, sFrameTime::Make(time, 60), kW * 4,
                                             buffer.data(), &bufferTime);
    }
    void StepRealTime(int64_t time) {
        const std::vector<uint8_t> red = Solid(kPixelFormatRGBA, 220, 30, 30);
        engine->SetInputPixels(sFrameTime::Make(time, 60), sInputGeometry::Whole(kW, kH), 0, kPixelFormatRGBA,
                               red.data());
        engine->RenderFrame();
    }
    bool NoTargets() const {
        for (const OwnedTexture& t : engine->videoRecording.ringTextures)
            if (t) return false;
        return true;
    }

    platform::CAEAGLLayer layer{CGRectMake(0, 0, 96, 64)};
    std::unique_ptr<IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;
};

// Mean of one channel of a BGRA buffer.
double Mean(const std::vector<uint8_t>& bgra, int channel) {
    double sum = 0;
    for (size_t i = channel; i < bgra.size(); i += 4) sum += bgra[i];
    return sum / static_cast<double>(bgra.size() / 4);
}

}  // namespace

// Each input byte order keeps its colours: a red frame comes back red, a blue one blue, each
// with its own time two calls later; a call without pixels flushes the next frame.
TEST_F(VideoFramePathsTest, MovieFramesComeBackTwoCallsLaterWithTheirColoursAndTimes) {
    for (const int32_t format : {kPixelFormatRGBA, kPixelFormatBGRA}) {
        SCOPED_TRACE(format);
        EXPECT_FALSE(engine->EndVideoAssetRecording());
        std::vector<uint8_t> buffer;
        sFrameTime time;
        EXPECT_FALSE(RenderAsset(nullptr, 0, format, buffer, time));  // not begun
        ASSERT_TRUE(engine->BeginVideoAssetRecording());
        EXPECT_FALSE(engine->BeginVideoAssetRecording());
        const std::vector<uint8_t> red = Solid(format, 230, 20, 20), blue = Solid(format, 20, 20, 230);
        EXPECT_FALSE(RenderAsset(&red, 10, format, buffer, time));
        EXPECT_EQ(time, sFrameTime::Unset());
        EXPECT_FALSE(RenderAsset(&blue, 20, format, buffer, time));
        EXPECT_TRUE(RenderAsset(&blue, 30, format, buffer, time));
        EXPECT_EQ(time.value, 10);
        EXPECT_GT(Mean(buffer, 2), Mean(buffer, 0) + 100);  // red (BGRA buffer)
        EXPECT_TRUE(RenderAsset(nullptr, 0, format, buffer, time));
        EXPECT_EQ(time.value, 20);
        EXPECT_GT(Mean(buffer, 0), Mean(buffer, 2) + 100);  // blue
        // A second call without pixels flushes the last frame.
        EXPECT_TRUE(RenderAsset(nullptr, 0, format, buffer, time));
        EXPECT_EQ(time.value, 30);
        EXPECT_GT(Mean(buffer, 0), Mean(buffer, 2) + 100);
        EXPECT_TRUE(engine->EndVideoAssetRecording());
        EXPECT_TRUE(NoTargets());
        EXPECT_EQ(engine->videoRecording.mode, eRecordingMode::Idle);
        EXPECT_FLOAT_EQ(engine->zoom, 1.0f);
    }
    EXPECT_FALSE(device->CheckError());
}

TEST_F(VideoFramePathsTest, RecordingNeedsARegisteredRecorderThatStarts) {
    StepRealTime(1);
    EXPECT_FALSE(engine->BeginVideoRecording(2, true));  // nothing registered
    EXPECT_TRUE(NoTargets());
    EXPECT_EQ(engine->FinishVideoRecording(), "");  // idle

    FakeRecorder* fake = nullptr;
    VideoRecorder::SetFactory([&fake] {
        auto r = std::make_unique<FakeRecorder>();
        fake = r.get();
        return r;
    });
    engine->SetVideoOutputSize(CGSize{1280, 720});
    engine->SetFrontFacing(false);
    ASSERT_TRUE(engine->BeginVideoRecording(2, true));
    ASSERT_NE(fake, nullptr);
    // Upright and not mirrored: the recording copies the frame as it is.
    auto* program = dynamic_cast<CShaderProgram*>(engine->shaderSets[kPairVideoOutput][engine->ProgramVariant()]);
    ASSERT_NE(program, nullptr);
    auto* matrix = dynamic_cast<CUniformMatrix4fv*>(program->FindUniform("uModelViewProjectionTextureMatrix"));
    ASSERT_TRUE(matrix && matrix->pending.size() == 1u);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(matrix->pending[0].m[i], CMatrix4<float>::Identity().m[i]) << i;
    EXPECT_EQ(fake->preferredWidth, 1280);
    EXPECT_EQ(fake->preferredHeight, 720);
    EXPECT_EQ(fake->width, engine->levelWidths[0]);
    EXPECT_EQ(fake->height, engine->levelHeights[0]);
    // A second begin while recording neither restarts the recorder nor makes new targets.
    OwnedTexture* targets = engine->videoRecording.ringTextures;
    ITexture2D* first = targets[0];
    EXPECT_FALSE(engine->BeginVideoRecording(2, true));
    EXPECT_EQ(fake->starts, 1);
    EXPECT_EQ(static_cast<ITexture2D*>(targets[0]), first);

    // Four frames fill the ring and two more count down; every frame from the seventh reaches
    // the recorder, the first with the fifth frame's picture and time, the recording's start.
    std::vector<int> recorded;
    std::vector<int64_t> times;
    for (int64_t t = 2; t <= 10; ++t) {
        StepRealTime(t);
        recorded.push_back(fake->frames);
        times.push_back(fake->lastTime.value);
    }
    EXPECT_EQ(recorded, (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 2, 3}));
    EXPECT_EQ(times[6], 6);
    EXPECT_EQ(times[8], 8);
    EXPECT_GT(Mean(fake->lastSample, 2), Mean(fake->lastSample, 1) + 100);  // red stays red
    EXPECT_EQ(fake->source->startTime().value, 6);

    const std::shared_ptr<VideoFrameSource> source = fake->source;
    EXPECT_EQ(engine->FinishVideoRecording(), "movie.mov");
    EXPECT_EQ(fake->stops, 1);
    EXPECT_TRUE(NoTargets());
    // The finished recording's frame source reads nothing any more.
    std::vector<uint8_t> pixels(static_cast<size_t>(kW) * kH * 4);
    EXPECT_FALSE(source->sample(pixels.data(), kW * 4));

    // A recorder that does not start leaves the engine idle, with no targets.
    fake->startResult = false;
    EXPECT_FALSE(engine->BeginVideoRecording(0, false));
    EXPECT_EQ(engine->videoRecording.mode, eRecordingMode::Idle);
    EXPECT_TRUE(NoTargets());
    // and the next start works.
    fake->startResult = true;
    EXPECT_TRUE(engine->BeginVideoRecording(1, false));
    EXPECT_EQ(engine->FinishVideoRecording(), "movie.mov");
    EXPECT_FALSE(device->CheckError());
}
