// Live preview speed: frames per second from the simulated back camera at the Photo preset
// (1280 × 960 BGRA frames, rendered on the processor) through the camera view and the engine,
// each frame presented on the layer; and the camera alone, without the engine.
//
//   build/release/tools/bench/tavorin_bench --benchmark_filter=Camera
//
// The run loop's clock is manual: each step advances it by one frame duration (1/30 s), so the
// figures are how fast frames can be made and drawn, not the camera's own rate.

#include <benchmark/benchmark.h>

#include <memory>

#include "BenchCamera.h"
#include "camera/capture/VideoController.h"
#include "engine/view/GraphicsView.h"
#include "platform/avfoundation/AVCaptureSession.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIScreen.h"

namespace {

void BM_CameraPreviewThroughTheEngine(benchmark::State& state) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const std::shared_ptr<GraphicsView> view = StartedCameraView(state);
    if (!view) return;
    const uint64_t before = view->eaglLayer().presentedContents().presentCount;
    for (auto _ : state) loop.advance(1.0 / 30);
    const uint64_t presented = view->eaglLayer().presentedContents().presentCount - before;
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(presented), benchmark::Counter::kIsRate);
    state.counters["width"] = view->nativeVideoDimensions().width;
    state.counters["height"] = view->nativeVideoDimensions().height;
    view->stopVideoController();
}
BENCHMARK(BM_CameraPreviewThroughTheEngine)->Unit(benchmark::kMillisecond)->UseRealTime();

class Counting : public platform::AVCaptureSampleBufferDelegate {
public:
    int64_t frames = 0;
    void captureOutputDidOutputSampleBuffer(platform::AVCaptureOutput&, const platform::CMSampleBufferRef&,
                                            platform::AVCaptureConnection&) override {
        ++frames;
    }
};

void BM_SimulatedCameraFrames(benchmark::State& state) {
    UsePhoneAt30();
    using namespace platform;
    auto session = std::make_shared<AVCaptureSession>();
    session->setSessionPreset(AVCaptureSessionPresetPhoto);
    session->addInput(
        AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo)));
    auto output = std::make_shared<AVCaptureVideoDataOutput>();
    Counting counting;
    output->setSampleBufferDelegate(&counting, dispatch_get_main_queue());
    session->addOutput(output);
    session->startRunning();
    for (auto _ : state) NSRunLoop::mainRunLoop().advance(1.0 / 30);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(counting.frames), benchmark::Counter::kIsRate);
    session->stopRunning();
}
BENCHMARK(BM_SimulatedCameraFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
