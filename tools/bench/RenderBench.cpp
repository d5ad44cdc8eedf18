// Speed of the engine on a real photograph: the full-resolution render in megapixels per
// second for a few styles, and the time of one preview frame at 768 pixels. The CPU column is
// the whole process's (the GL driver's threads included): on a shared machine it shows the work
// done where the wall time mostly shows the load.
//
//   build/release/tools/bench/tavorin_bench [--benchmark_filter=...]
//
// The photograph is $TAVORIN_BENCH_PHOTO, else a 12-megapixel sample photograph.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "app/PhotoRenderer.h"
#include "app/RenderJob.h"
#include "BenchPasses.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/RenderPasses.h"
#include "gpu/Device.h"
#include "model/Type.h"
#include "platform/imageio/ImageIO.h"

namespace {

std::string PhotoPath() {
    if (const char* path = std::getenv("TAVORIN_BENCH_PHOTO")) return path;
    const std::string twelve = std::string(RenderJob::kSampleFolder) + "/sunset_by_Aitzol_Berasategi.jpg";
    if (platform::ImageSource::createWithFile(twelve)) return twelve;
    return RenderJob::DefaultPhoto();
}

// Decoded once for every benchmark.
const platform::DecodedImage* Photo() {
    static const std::unique_ptr<platform::DecodedImage> photo = [] {
        const std::string path = PhotoPath();
        std::optional<platform::DecodedImage> decoded = platform::DecodeImageFile(path);
        if (!decoded) return std::unique_ptr<platform::DecodedImage>();
        std::fprintf(stderr, "photograph: %s, %u x %u\n", path.c_str(), decoded->bitmap.width, decoded->bitmap.height);
        return std::make_unique<platform::DecodedImage>(std::move(*decoded));
    }();
    return photo.get();
}

// A parameter and its value as the command line takes it: a number, or a value by name.
struct Setting {
    const char* name;
    const char* value;
};

const std::vector<std::vector<Setting>>& Styles() {
    static const std::vector<std::vector<Setting>> styles = {
        {{"NR On/Off", "0"}},  // CIE local contrast, the defaults, without the noise filter
        {{"NR On/Off", "1"}, {"CIE Contrast K Strength", "0.8"}},
        {{"Luminance Style", "None with Color Adjustments"}, {"CA Tone Map", "Amaro"}, {"CA Vignette On/Off", "1"}},
        {{"Luminance Style", "None"}},
    };
    return styles;
}

const char* const kStyleNames[] = {"CIE", "CIE+NR", "ColorAdjustments+Look", "None", "Clarity 1", "Dramatic 2"};
// Styles from here on are modes by their shown name, as the command line's --mode applies them.
constexpr int kFirstMode = 4;

// The job's renderer with the benchmark's style applied, or null (the benchmark is then
// skipped).
std::unique_ptr<PhotoRenderer> RendererWithStyle(benchmark::State& state) {
    const int style = static_cast<int>(state.range(0));
    state.SetLabel(kStyleNames[style]);
    std::unique_ptr<PhotoRenderer> renderer = Photo() ? PhotoRenderer::make() : nullptr;
    if (!renderer) {
        state.SkipWithError("no photograph or no OpenGL ES 2 device");
        return nullptr;
    }
    if (style >= kFirstMode) {
        const std::optional<TypeController::ModeName> mode = TypeController::modeNamed(kStyleNames[style]);
        if (!mode || !renderer->applyMode(mode->library)) {
            state.SkipWithError("the mode library has no such mode");
            return nullptr;
        }
        return renderer;
    }
    for (const Setting& s : Styles()[style]) {
        const std::variant<float, std::string> value = RenderJob::ParameterValue(s.name, s.value);
        if (const std::string* error = std::get_if<std::string>(&value)) {
            state.SkipWithError(error->c_str());
            return nullptr;
        }
        renderer->setAdjustment(s.name, std::get<float>(value));
    }
    return renderer;
}

// The photo's preview frame, drawn before a full-resolution render as for a photo on the screen:
// the render keeps that frame's statistics.
void DrawPreview(PhotoRenderer& renderer) {
    renderer.renderPreview(Photo()->bitmap, Photo()->imageOrientation());
    renderer.device().Finish();
}

// Times full-resolution renders of the photo, each after a preview frame left out of the time.
void TimeFullResolution(benchmark::State& state, PhotoRenderer& renderer) {
    const platform::DecodedImage* photo = Photo();
    for (auto _ : state) {
        state.PauseTiming();
        DrawPreview(renderer);
        state.ResumeTiming();
        std::shared_ptr<sBitmap> result = renderer.render(photo->bitmap, photo->imageOrientation());
        if (!result) {
            state.SkipWithError("the render failed");
            return;
        }
        benchmark::DoNotOptimize(result);
    }
    const double megapixels = double(photo->bitmap.width) * photo->bitmap.height / 1e6;
    state.counters["MP/s"] = benchmark::Counter(megapixels * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["MP"] = megapixels;
}

void FullResolution(benchmark::State& state) {
    if (std::unique_ptr<PhotoRenderer> renderer = RendererWithStyle(state)) TimeFullResolution(state, *renderer);
}
BENCHMARK(FullResolution)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);

// The default style's full-resolution render by the height of its strips (borders included):
// each strip renders its borders again and pays every pass's fixed cost once more, against
// working textures that grow with the height.
void FullResolutionStrips(benchmark::State& state) {
    std::unique_ptr<PhotoRenderer> renderer = RendererWithStyle(state);
    if (!renderer) return;
    renderer->setStripHeight(static_cast<int>(state.range(1)));
    TimeFullResolution(state, *renderer);
    state.SetLabel(std::string(kStyleNames[state.range(0)]) + ", strips of " + std::to_string(state.range(1)));
}
BENCHMARK(FullResolutionStrips)
    ->ArgsProduct({{0}, {512, 1024, 2048, 4096}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);

void PreviewFrame(benchmark::State& state) {
    std::unique_ptr<PhotoRenderer> renderer = RendererWithStyle(state);
    if (!renderer) return;
    DrawPreview(*renderer);
    for (auto _ : state) {
        renderer->redrawPreview();
        renderer->device().Finish();  // the frame's GPU work, not only its submission
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(PreviewFrame)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2.0);

void PreviewPasses(benchmark::State& state) {
    std::unique_ptr<PhotoRenderer> renderer = RendererWithStyle(state);
    if (!renderer) return;
    DrawPreview(*renderer);
    PassTimes times(renderer->device());
    for (auto _ : state) {
        times.Start();
        renderer->redrawPreview();
        renderer->device().Finish();
    }
    times.Report(kStyleNames[state.range(0)], state.iterations());
}
BENCHMARK(PreviewPasses)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void FullResolutionPasses(benchmark::State& state) {
    std::unique_ptr<PhotoRenderer> renderer = RendererWithStyle(state);
    if (!renderer) return;
    const platform::DecodedImage* photo = Photo();
    DrawPreview(*renderer);
    PassTimes times(renderer->device());
    for (auto _ : state) {
        times.Start();
        benchmark::DoNotOptimize(renderer->render(photo->bitmap, photo->imageOrientation()));
    }
    times.Report(kStyleNames[state.range(0)], state.iterations());
}
BENCHMARK(FullResolutionPasses)
    ->DenseRange(0, 1)
    ->Arg(3)  // the render that changes nothing: the floor every render pays
    ->DenseRange(kFirstMode, kFirstMode + 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
