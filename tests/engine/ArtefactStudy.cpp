// The grain and block study program (not a test): a flat crop of a photo (a smooth sky, a plain
// wall) rendered in a mode through the command line's renderer at the filter scale of the whole
// photo, and the grain and the block steps of the colour-corrected result set against those of
// the double-precision reference run from the engine's working input — exactly, with every
// texture rounded as the engine stores it, and from that input rounded to bytes (as the engine
// stored it before it kept half floats there) — and against those of the crop itself.
//
//   tavorin_artefact_study [--mode NAME] [--set "NAME=VALUE"]... PHOTO X Y W H
//
// X and Y should be multiples of 8, so that the crop keeps the photo's JPEG block grid. Grain is
// the mean deviation of the luma (8-bit levels) left after a plane is fitted to each 16 × 16
// cell; block steps are the mean absolute luma step across the 8-pixel grid less that inside it.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/PhotoRenderer.h"
#include "app/RenderJob.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/ChainCapture.h"
#include "engine/ChainReference.h"
#include "model/Type.h"
#include "platform/imageio/ImageIO.h"

using namespace chainref;

namespace {

// Luma in 8-bit levels of an RGBA plane in 0..1 (clamped, as the output stores it).
Plane Luma(const Plane& rgba) {
    Plane l(rgba.width, rgba.height);
    for (int y = 0; y < rgba.height; ++y)
        for (int x = 0; x < rgba.width; ++x) {
            double v = 0;
            const double w[3] = {0.299, 0.587, 0.114};
            for (int c = 0; c < 3; ++c) v += w[c] * std::clamp(rgba.at(x, y, c), 0.0, 1.0) * 255.0;
            l.at(x, y) = v;
        }
    return l;
}

double Grain(const Plane& l) {
    double sum = 0;
    int cells = 0;
    for (int cy = 0; cy + 16 <= l.height; cy += 16)
        for (int cx = 0; cx + 16 <= l.width; cx += 16) {
            double m = 0, sx = 0, sy = 0, uu = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const double v = l.at(cx + x, cy + y);
                    m += v, sx += v * (x - 7.5), sy += v * (y - 7.5), uu += (x - 7.5) * (x - 7.5);
                }
            m /= 256;
            double r2 = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const double r = l.at(cx + x, cy + y) - (m + sx / uu * (x - 7.5) + sy / uu * (y - 7.5));
                    r2 += r * r;
                }
            sum += std::sqrt(r2 / 253);
            ++cells;
        }
    return cells ? sum / cells : 0.0;
}

double BlockSteps(const Plane& l) {
    double sum[2] = {};
    int n[2] = {};
    for (int y = 0; y + 1 < l.height; ++y)
        for (int x = 0; x + 1 < l.width; ++x) {
            const int across = (x + 1) % 8 == 0, below = (y + 1) % 8 == 0;
            sum[across] += std::fabs(l.at(x + 1, y) - l.at(x, y)), n[across] += 1;
            sum[below] += std::fabs(l.at(x, y + 1) - l.at(x, y)), n[below] += 1;
        }
    return sum[1] / n[1] - sum[0] / n[0];
}

int Usage() {
    std::fprintf(stderr, "usage: tavorin_artefact_study [--mode NAME] [--set \"NAME=VALUE\"]... PHOTO X Y W H\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = "Sky 1";
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--mode" && i + 1 < argc) {
            mode = argv[++i];
        } else if (a == "--set" && i + 1 < argc) {
            const std::string s = argv[++i];
            const size_t eq = s.find('=');
            if (eq == std::string::npos) return Usage();
            settings.emplace_back(s.substr(0, eq), s.substr(eq + 1));
        } else {
            args.push_back(a);
        }
    }
    if (args.size() != 5) return Usage();
    const auto source = platform::ImageSource::createWithFile(args[0]);
    const auto bitmap = source ? source->createImageAtIndex(0, platform::ImagePixelFormat::RGBA) : std::nullopt;
    if (!bitmap) return Usage();
    const int bw = static_cast<int>(bitmap->width), bh = static_cast<int>(bitmap->height);
    const int x0 = std::clamp(std::atoi(args[1].c_str()), 0, bw - 1),
              y0 = std::clamp(std::atoi(args[2].c_str()), 0, bh - 1);
    const int w = std::min(std::atoi(args[3].c_str()), bw - x0), h = std::min(std::atoi(args[4].c_str()), bh - y0);
    if (w < 32 || h < 32) return Usage();
    std::vector<uint8_t> crop(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        std::copy_n(&bitmap->pixels[(static_cast<size_t>(y0 + y) * bw + x0) * 4], static_cast<size_t>(w) * 4,
                    &crop[static_cast<size_t>(y) * w * 4]);

    const std::unique_ptr<PhotoRenderer> renderer = PhotoRenderer::make();
    if (!renderer) return 1;
    const std::optional<TypeController::ModeName> named = TypeController::modeNamed(mode);
    if (!named || !renderer->applyMode(named->library)) {
        std::fprintf(stderr, "tavorin_artefact_study: no mode \"%s\"\n", mode.c_str());
        return 1;
    }
    for (const auto& [name, text] : settings) {
        const auto value = RenderJob::ParameterValue(name, text);
        if (!std::holds_alternative<float>(value)) {
            std::fprintf(stderr, "tavorin_artefact_study: %s\n", std::get<std::string>(value).c_str());
            return 2;
        }
        renderer->setAdjustment(name, std::get<float>(value));
    }
    AmbrelGraphicsController& engine = renderer->engine();
    // The style passes after the colour correction draw over its result: left out here.
    engine.smoothing.type = eGaussianType::None;
    engine.smoothing.lineIntegral = false;
    engine.renderTarget = kRenderTargetOffscreen;
    engine.SetViewRect(0, 0, w, h);
    engine.SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(w, h), 0, kPixelFormatRGBA, crop.data());
    engine.SetFilterScale(std::min(bw, bh) / static_cast<double>(PhotoRenderer::kPreviewSize));
    engine.frameDirty = true;
    engine.RenderFrame();

    const CapturedChain captured = Capture(engine, renderer->device());
    ChainParameters p = ChainParameters::Of(engine, w, h);
    p.brightnessStatistic = captured.brightnessStatistic;
    p.contrastK = captured.contrastK;
    const ChainResult exact = EvaluateChain(captured.input, p);
    const ChainResult fromBytes = EvaluateChain(Stored(captured.input, false), p);
    p.storage = Storage::HalfTowardZero;
    const ChainResult stored = EvaluateChain(captured.input, p);

    // The output texture holds bytes: the references' results are rounded the same way.
    const Plane exactOut = Stored(exact.output, false), storedOut = Stored(stored.output, false),
                bytesOut = Stored(fromBytes.output, false);
    Plane photo(w, h, 4);
    for (size_t i = 0; i < crop.size(); ++i) photo.values[i] = crop[i] / 255.0;
    const struct {
        const char* name;
        const Plane& rgba;
    } rows[] = {
        {"photo crop", photo},
        {"engine", captured.corrected},
        {"reference, exact", exactOut},
        {"reference, textures rounded as stored", storedOut},
        {"reference, working input in bytes", bytesOut},
    };
    std::printf("%s, crop %d,%d %dx%d, noise filter %s\n", mode.c_str(), x0, y0, w, h,
                engine.noiseReduction.on ? "on" : "off");
    std::printf("%-40s %8s %8s\n", "", "grain", "blocks");
    for (const auto& row : rows) {
        const Plane l = Luma(row.rgba);
        std::printf("%-40s %8.3f %8.3f\n", row.name, Grain(l), BlockSteps(l));
    }
    return 0;
}
