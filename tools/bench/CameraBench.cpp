// Live preview speed: frames per second from the simulated back camera at the Photo preset
// (1280 × 960 BGRA frames, rendered on the processor) through the camera view and the engine,
// each frame presented on the layer; and the camera alone, without the engine; and a photograph
// as the camera: how soon its first frame comes.
//
//   build/release/tools/bench/tavorin_bench --benchmark_filter=Camera
//
// The run loop's clock is manual: each step advances it by one frame duration (1/30 s), so the
// figures are how fast frames can be made and drawn, not the camera's own rate.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "BenchCamera.h"
#include "BenchPasses.h"
#include "app/RenderJob.h"
#include "camera/capture/VideoController.h"
#include "engine/view/GraphicsView.h"
#include "model/DeviceUtility.h"
#include "modes/ModeLibrary.h"
#include "platform/avfoundation/AVCaptureSession.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIScreen.h"

namespace {

// The mode a fresh profile's camera starts in: the first strength of the first mode.
constexpr const char* kFirstMode = "Norm Ppr Lab Alt";

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

// Where a camera frame's time goes on its whole road: made and handed over, uploaded, each
// engine pass, read back and presented on the layer, each step waited for. In the engine's
// defaults, in the mode a fresh profile starts in, and in the defaults without the live noise
// filter (what a device tier without it would draw).
void CameraFrameRoad(benchmark::State& state) {
    static const char* const kCases[] = {"engine defaults", kFirstMode, "engine defaults, no live noise filter"};
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const std::shared_ptr<GraphicsView> view = StartedCameraView(state);
    if (!view) return;
    if (state.range(0) == 1) {
        const Modes::ModeLibraryEntry* entry = Modes::ModeLibrary::modeWithName(kFirstMode);
        view->setMode(entry->parameters(), Modes::ModeSelection{entry->name(), {}, {}}, {});
    }
    if (state.range(0) == 2) view->setAdjustment("NR On/Off", 0.0f, false);
    loop.advance(0.5);
    const uint64_t before = view->eaglLayer().presentedContents().presentCount;
    PassTimes times(*view->device());
    times.Start();
    for (auto _ : state) loop.advance(1.0 / 30);
    const uint64_t presented = view->eaglLayer().presentedContents().presentCount - before;
    times.Report(kCases[state.range(0)], static_cast<int64_t>(presented));
    view->stopVideoController();
}
BENCHMARK(CameraFrameRoad)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The engine's part of a tap on the mode picker while the camera runs: a mode's parameter set
// handed to the view, then the run loop stepped frame by frame until a frame showing it is
// presented. Wall time of each change; the first visit of each mode builds its programs, the
// later visits find them as the driver keeps them.
void CameraModeChange(benchmark::State& state) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const std::shared_ptr<GraphicsView> view = StartedCameraView(state);
    if (!view) return;
    const std::span<const Modes::ModeLibraryEntry> entries = Modes::ModeLibrary::shared().entries();
    std::vector<double> first, later;
    std::set<std::size_t> seen;
    std::size_t next = 0;
    for (auto _ : state) {
        const std::size_t index = (next++ * 7) % 21;  // 21 modes, visited in a scattered order
        const auto start = std::chrono::steady_clock::now();
        view->setMode(entries[index].parameters(), Modes::ModeSelection{entries[index].name(), {}, {}}, {});
        const uint64_t before = view->eaglLayer().presentedContents().presentCount;
        while (view->eaglLayer().presentedContents().presentCount == before) loop.advance(1.0 / 30);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        (seen.insert(index).second ? first : later).push_back(ms);
    }
    const auto percentile = [](std::vector<double> v, double p) {
        if (v.empty()) return 0.0;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
    };
    state.counters["first p50 ms"] = percentile(first, 0.5);
    state.counters["first p95 ms"] = percentile(first, 0.95);
    state.counters["later p50 ms"] = percentile(later, 0.5);
    state.counters["later p95 ms"] = percentile(later, 0.95);
    view->stopVideoController();
}
BENCHMARK(CameraModeChange)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(63);

// From nothing to the first presented camera frame: the view and its GL context made, the
// camera started, the programs built and the first frame drawn. The driver's shader cache on
// disk is as this machine left it (warm after the first run).
void CameraStart(benchmark::State& state) {
    UsePhoneAt30();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    for (auto _ : state) {
        auto view = std::make_shared<GraphicsView>(AppConstants::defaultCameraViewFrame());
        if (!view->graphicsController()) {
            state.SkipWithError("no OpenGL ES 2 context");
            return;
        }
        view->startVideoController();
        for (int step = 0; step < 300 && view->eaglLayer().presentedContents().presentCount == 0; ++step)
            loop.advance(1.0 / 30);
        view->stopVideoController();
    }
}
BENCHMARK(CameraStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

class Counting : public platform::AVCaptureSampleBufferDelegate {
public:
    int64_t frames = 0;
    void captureOutputDidOutputSampleBuffer(platform::AVCaptureOutput&, const platform::CMSampleBufferRef&,
                                            platform::AVCaptureConnection&) override {
        ++frames;
    }
};

// A running session of the rig's camera at the Photo preset, its frames counted.
platform::AVCaptureSessionRef CountedCameraSession(Counting& counting) {
    using namespace platform;
    auto session = std::make_shared<AVCaptureSession>();
    session->setSessionPreset(AVCaptureSessionPresetPhoto);
    session->addInput(
        AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo)));
    auto output = std::make_shared<AVCaptureVideoDataOutput>();
    output->setSampleBufferDelegate(&counting, dispatch_get_main_queue());
    session->addOutput(output);
    session->startRunning();
    return session;
}

void BM_SimulatedCameraFrames(benchmark::State& state) {
    UsePhoneAt30();
    Counting counting;
    const platform::AVCaptureSessionRef session = CountedCameraSession(counting);
    for (auto _ : state) NSRunLoop::mainRunLoop().advance(1.0 / 30);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(counting.frames), benchmark::Counter::kIsRate);
    session->stopRunning();
}
BENCHMARK(BM_SimulatedCameraFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

// A photograph as the camera (`--camera "lavfi:movie=PHOTO,loop=loop=-1:size=1,fps=15"`), on
// the real clock, without the engine: the time from configuring the camera (its input probed)
// to its first frame on the main queue, and the process's processor time a frame while it runs
// (its frames scaled from the photo's full size). The photograph is $TAVORIN_BENCH_PHOTO, else
// the 13-megapixel sample photograph.
void PhotoCameraFirstFrame(benchmark::State& state) {
    using namespace platform;
    const char* photo = std::getenv("TAVORIN_BENCH_PHOTO");
    const std::string graph =
        "lavfi:movie=" +
        (photo ? std::string(photo) : std::string(RenderJob::kSampleFolder) + "/Dragonfly_by_Bolly.jpg") +
        ",loop=loop=-1:size=1,fps=15";
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useRealClock();
    const auto runUntil = [&loop](const auto& done) {
        const double giveUp = loop.now() + 30;
        while (!done() && loop.now() < giveUp)
            if (!loop.runOnce()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    double cpuPerFrame = 0;
    for (auto _ : state) {
        std::string error;
        if (!CaptureRig::shared().configure(graph, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        Counting counting;
        const AVCaptureSessionRef session = CountedCameraSession(counting);
        runUntil([&] { return counting.frames > 0; });
        state.PauseTiming();
        const std::clock_t cpu = std::clock();
        const int64_t first = counting.frames;
        const double until = loop.now() + 2;
        runUntil([&] { return loop.now() >= until; });
        cpuPerFrame = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC /
                      static_cast<double>(std::max<int64_t>(1, counting.frames - first));
        session->stopRunning();
        state.ResumeTiming();
    }
    state.counters["cpu ms/frame"] = cpuPerFrame;
    CaptureRig::shared().configureSimulated({});
    loop.useManualClock(0);
}
BENCHMARK(PhotoCameraFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
