// Real-time movie recording speed: frames per second the recorder takes at 1280 × 720 from a
// frame source that copies a prepared BGRA frame, H.264-encoded on the writer's thread; and the
// simulated camera recorded through the camera view and the engine into a 720 × 1280 movie
// (portrait), each camera frame rendered, drawn into the recording ring and read back. Each
// frame waits for room in the encoding queue, so the figures are sustained rates.
//
//   build/release/tools/bench/tavorin_movie_bench

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "BenchCamera.h"
#include "camera/movie/EngineMovieRecorder.h"
#include "camera/movie/QVRealTimeVideoRecorder.h"
#include "engine/AmbrelGraphicsController.h"
#include "gpu/Texture.h"

namespace {

using namespace platform;

struct PreparedFrames : QVRealTimeVideoRecorderFrame {
    static constexpr int32_t kWidth = 1280, kHeight = 720;
    std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t{kWidth} * kHeight * 4);
    int64_t frame = 0;
    PreparedFrames() {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 7) ^ (i >> 11));
    }
    bool sample(uint8_t* out, size_t bytesPerRow) override {
        for (int32_t y = 0; y < kHeight; ++y)
            std::memcpy(out + static_cast<size_t>(y) * bytesPerRow,
                        pixels.data() + size_t{kWidth} * 4 * static_cast<size_t>((y + frame) % kHeight),
                        size_t{kWidth} * 4);
        return true;
    }
    bool sampleTime(CMTime* time) override {
        *time = CMTimeMake(++frame, 30);
        return true;
    }
};

void BM_RealTimeRecorder1280x720(benchmark::State& state) {
    const std::string movie = (std::filesystem::temp_directory_path() / "tavorin-bench.mov").string();
    std::filesystem::remove(movie);
    QVRealTimeVideoRecorder recorder(movie);
    if (!recorder.start(PreparedFrames::kWidth, PreparedFrames::kHeight, nullptr, std::make_unique<PreparedFrames>(),
                        false)) {
        state.SkipWithError("the recorder did not start");
        return;
    }
    for (auto _ : state) {
        while (!recorder.readyForAnotherFrame()) std::this_thread::yield();
        benchmark::DoNotOptimize(recorder.recordFrame());
    }
    recorder.stop();
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(movie);
}
BENCHMARK(BM_RealTimeRecorder1280x720)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_CameraRecordingThroughTheEngine(benchmark::State& state) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const std::string movie = (std::filesystem::temp_directory_path() / "tavorin-bench-engine.mov").string();
    std::filesystem::remove(movie);
    std::shared_ptr<GraphicsView> view = StartedCameraView(state);
    if (!view) return;
    VideoRecorder::SetFactory([movie] { return std::make_unique<EngineMovieRecorder>(movie); });
    view->setVideoOutputSize(CGSizeMake(1280, 720));
    view->beginVideoRecordingWithOrientation(3);
    const auto* recorder =
        dynamic_cast<const EngineMovieRecorder*>(view->graphicsController()->videoRecording.recorder.get());
    if (!recorder || !recorder->started()) {
        state.SkipWithError("the recording did not start");
        return;
    }
    loop.advance(7.0 / 30);  // the recording ring warmed up: every frame from here is recorded
    const int before = recorder->realTimeRecorder().framesAppended();
    for (auto _ : state) {
        while (!recorder->realTimeRecorder().readyForAnotherFrame()) std::this_thread::yield();
        loop.advance(1.0 / 30);
    }
    const int appended = recorder->realTimeRecorder().framesAppended() - before;
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(appended), benchmark::Counter::kIsRate);
    state.counters["source width"] = view->graphicsController()->videoRecording.ringTextures[0]->GetWidth();
    state.counters["source height"] = view->graphicsController()->videoRecording.ringTextures[0]->GetHeight();
    view->finishVideoRecording();
    view->stopVideoController();
    view.reset();
    EngineMovieRecorder::register_();
    std::filesystem::remove(movie);
}
BENCHMARK(BM_CameraRecordingThroughTheEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
