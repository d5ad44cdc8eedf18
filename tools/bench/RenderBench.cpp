// Speed of the engine on a real photograph: the full-resolution render in megapixels per
// second for a few styles, and the time of one preview frame at 768 pixels.
//
//   build/release/tools/bench/tavorin_bench [--benchmark_filter=...]
//
// The photograph is $TAVORIN_BENCH_PHOTO, else a 12-megapixel sample photograph.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/PhotoRenderer.h"
#include "app/RenderJob.h"
#include "engine/AmbrelGraphicsController.h"
#include "gpu/Device.h"
#include "platform/imageio/ImageIO.h"

namespace {

std::string PhotoPath()
{
    if (const char* path = std::getenv("TAVORIN_BENCH_PHOTO"))
        return path;
    const std::string twelve = std::string(RenderJob::kSampleFolder) + "/sunset_by_Aitzol_Berasategi.jpg";
    if (platform::ImageSource::createWithFile(twelve))
        return twelve;
    return RenderJob::DefaultPhoto();
}

// Decoded once for every benchmark.
const platform::DecodedImage* Photo()
{
    static const std::unique_ptr<platform::DecodedImage> photo = [] {
        const std::string path = PhotoPath();
        std::optional<platform::DecodedImage> decoded = platform::DecodeImageFile(path);
        if (!decoded)
            return std::unique_ptr<platform::DecodedImage>();
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

const std::vector<std::vector<Setting>>& Styles()
{
    static const std::vector<std::vector<Setting>> styles = {
        {{"NR On/Off", "0"}},  // CIE local contrast, the defaults, without the noise filter
        {{"NR On/Off", "1"}, {"CIE Contrast K Strength", "0.8"}},
        {{"Luminance Style", "None with Color Adjustments"}, {"CA Tone Map", "Amaro"}, {"CA Vignette On/Off", "1"}},
        {{"Luminance Style", "None"}},
    };
    return styles;
}

const char* const kStyleNames[] = {"CIE", "CIE+NR", "ColorAdjustments+Look", "None"};

// The job's renderer with the benchmark's style applied, or null (the benchmark is then
// skipped).
std::unique_ptr<PhotoRenderer> RendererWithStyle(benchmark::State& state)
{
    const int style = static_cast<int>(state.range(0));
    state.SetLabel(kStyleNames[style]);
    std::unique_ptr<PhotoRenderer> renderer = Photo() ? PhotoRenderer::make() : nullptr;
    if (!renderer) {
        state.SkipWithError("no photograph or no OpenGL ES 2 device");
        return nullptr;
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

void FullResolution(benchmark::State& state)
{
    std::unique_ptr<PhotoRenderer> renderer = RendererWithStyle(state);
    if (!renderer)
        return;
    const platform::DecodedImage* photo = Photo();
    for (auto _ : state) {
        state.PauseTiming();
        renderer->renderPreview(photo->bitmap, photo->imageOrientation());
        renderer->device().Finish();
        state.ResumeTiming();
        std::shared_ptr<sBitmap> result = renderer->render(photo->bitmap, photo->imageOrientation());
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
BENCHMARK(FullResolution)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void PreviewFrame(benchmark::State& state)
{
    std::unique_ptr<PhotoRenderer> renderer = RendererWithStyle(state);
    if (!renderer)
        return;
    renderer->renderPreview(Photo()->bitmap, Photo()->imageOrientation());
    renderer->device().Finish();
    for (auto _ : state) {
        renderer->redrawPreview();
        renderer->device().Finish();  // the frame's GPU work, not only its submission
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(PreviewFrame)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
