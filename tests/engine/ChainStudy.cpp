// The precision study program: renders a small picture (a generated fixture or a crop of a
// photo) in a mode through the engine's preview path, at the filter scale of the whole photo,
// and prints how far each stage of the engine is from the double-precision reference fed the
// engine's own inputs, how far the whole chain is from the reference run from the working
// input, and the artefacts of interest counted in both: exactly black pixels, pixels with a
// zero channel, bright specks, and the local deviation of flat areas.
//
//   tavorin_chain_study [--mode NAME] [--scale S] FIXTURE | PHOTO X Y W H
//
// FIXTURE is "texture" (a fine texture, as of canvas or grass), "sky" (a smooth gradient with
// faint bumps) or "flat" (0.80 grey); a photo is cropped at (X, Y), W x H, and filtered at the
// scale of its full size unless --scale is given.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/PhotoRenderer.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/ChainCapture.h"
#include "engine/ChainReference.h"
#include "model/Type.h"
#include "platform/imageio/ImageIO.h"

using namespace chainref;

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    double fullShorterSide = 0.0;  // of the photo the picture is cut from
};

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

// A deterministic value in [0, 1) per pixel.
double Hash(int x, int y)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xffffff) / 16777216.0;
}

Picture Fixture(const std::string& name, int w, int h)
{
    Picture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4), 0.0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double r, g, b;
            if (name == "texture") {
                // Threads and blades: strong pixel-scale detail around a darkish green-grey.
                const double weave = 0.5 + 0.5 * std::sin(2.4 * x) * std::sin(2.1 * y);
                const double t = 0.6 * weave + 0.4 * Hash(x, y);
                r = 0.12 + 0.45 * t, g = 0.18 + 0.5 * t, b = 0.08 + 0.35 * t;
            } else if (name == "sky") {
                const double v = static_cast<double>(y) / h;
                double bump = 0.0;
                for (int i = 0; i < 6; ++i) {
                    const double cx = w * (0.15 + 0.14 * i), cy = h * (0.3 + 0.08 * (i % 3));
                    const double d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (0.0015 * w * w);
                    bump += (i % 2 ? 0.012 : -0.008) * std::exp(-d2);
                }
                r = 0.45 + 0.25 * v + bump, g = 0.62 + 0.2 * v + bump, b = 0.86 + 0.1 * v + bump;
            } else {
                r = g = b = 0.80;
            }
            uint8_t* px = &p.rgba[(static_cast<size_t>(y) * w + x) * 4];
            px[0] = Byte(r), px[1] = Byte(g), px[2] = Byte(b), px[3] = 255;
        }
    return p;
}

Picture Crop(const std::string& path, int x0, int y0, int w, int h)
{
    const auto source = platform::ImageSource::createWithFile(path);
    const auto bitmap = source ? source->createImageAtIndex(0, platform::ImagePixelFormat::RGBA) : std::nullopt;
    if (!bitmap)
        return {};
    const int bw = static_cast<int>(bitmap->width), bh = static_cast<int>(bitmap->height);
    x0 = std::clamp(x0, 0, bw - 1), y0 = std::clamp(y0, 0, bh - 1);
    w = std::min(w, bw - x0), h = std::min(h, bh - y0);
    Picture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4), static_cast<double>(std::min(bw, bh))};
    for (int y = 0; y < h; ++y)
        std::copy_n(&bitmap->pixels[(static_cast<size_t>(y0 + y) * bw + x0) * 4], static_cast<size_t>(w) * 4,
                    &p.rgba[static_cast<size_t>(y) * w * 4]);
    return p;
}

struct Artefacts {
    int black = 0, zeroChannel = 0, specks = 0;
};

// Counts in an 8-bit RGBA plane; specks are pixels brighter than `reference` by more than
// 24 levels in every channel.
Artefacts Count(const Plane& out, const Plane* reference)
{
    Artefacts a;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            int zeros = 0, brighter = 0;
            for (int c = 0; c < 3; ++c) {
                zeros += RoundTo8Bit(out.at(x, y, c)) == 0.0;
                if (reference)
                    brighter += RoundTo8Bit(out.at(x, y, c)) - RoundTo8Bit(reference->at(x, y, c)) > 24.0 / 255.0;
            }
            a.black += zeros == 3;
            a.zeroChannel += zeros > 0;
            a.specks += brighter == 3;
        }
    return a;
}

double Mean(const Plane& p)
{
    double sum = 0.0;
    for (double v : p.values)
        sum += v;
    return p.values.empty() ? 0.0 : sum / static_cast<double>(p.values.size());
}

int Usage()
{
    std::fprintf(stderr, "usage: tavorin_chain_study [--mode NAME] [--scale S] texture|sky|flat | PHOTO X Y W H\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = "Dramatic 2";
    double scale = 0.0;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--mode" && i + 1 < argc)
            mode = argv[++i];
        else if (a == "--scale" && i + 1 < argc)
            scale = std::atof(argv[++i]);
        else
            args.push_back(a);
    }
    Picture picture;
    if (args.size() == 1)
        picture = Fixture(args[0], 256, 192);
    else if (args.size() == 5)
        picture = Crop(args[0], std::atoi(args[1].c_str()), std::atoi(args[2].c_str()), std::atoi(args[3].c_str()),
                       std::atoi(args[4].c_str()));
    else
        return Usage();
    if (picture.width < 16 || picture.height < 16) {
        std::fprintf(stderr, "tavorin_chain_study: no picture of at least 16 x 16 pixels\n");
        return 1;
    }
    if (scale <= 0.0)
        scale = picture.fullShorterSide > 0.0 ? picture.fullShorterSide / PhotoRenderer::kPreviewSize : 1.0;

    const std::unique_ptr<PhotoRenderer> renderer = PhotoRenderer::make();
    if (!renderer) {
        std::fprintf(stderr, "tavorin_chain_study: no OpenGL ES 2 device\n");
        return 1;
    }
    std::string library;
    for (const TypeController::ModeName& name : TypeController::modeNames())
        if (name.shown == mode)
            library = name.library;
    if (library.empty() || !renderer->applyMode(library)) {
        std::fprintf(stderr, "tavorin_chain_study: no mode \"%s\"\n", mode.c_str());
        return 1;
    }
    AmbrelGraphicsController& engine = renderer->engine();
    // The style passes after the colour correction draw over its result: left out here.
    engine.smoothing.type = eGaussianType::None;
    engine.smoothing.lineIntegral = false;
    engine.renderTarget = kRenderTargetOffscreen;
    engine.SetViewRect(0, 0, picture.width, picture.height);
    engine.SetInputPixels(sFrameTime::Make(0, 60), picture.width, picture.height, picture.width, picture.height, 0, 0,
                          picture.width, picture.height, false, 0, kPixelFormatRGBA, picture.rgba.data());
    engine.SetFilterScale(scale);
    engine.frameDirty = true;
    engine.RenderFrame();

    const CapturedChain captured = Capture(engine, renderer->device());
    ChainParameters p = ChainParameters::Of(engine, picture.width, picture.height);
    // The statistics as the engine measured them, so that the chains differ only in their stages.
    p.brightnessStatistic = captured.brightnessStatistic;
    p.contrastK = captured.contrastK;
    const ChainResult exact = EvaluateChain(captured.input, p);
    p.halfStorage = true;
    const ChainResult stored = EvaluateChain(captured.input, p);

    std::printf("%s, %d x %d, filter scale %.3f: %d levels, %d taps, box %d, tone mapping %s\n", mode.c_str(),
                picture.width, picture.height, scale, p.levels, p.taps, p.boxTaps, p.toneMappingOn ? "on" : "off");
    std::printf("\nstage (engine vs reference fed the engine's inputs)   max        mean       at the largest: engine, reference\n");
    for (const StageDifference& s : CompareStages(captured, p))
        std::printf("  %-48s %-10.6f %-10.6f %.6f, %.6f\n", s.stage.c_str(), s.difference.max, s.difference.mean,
                    s.difference.first, s.difference.second);

    std::printf("\nwhole chain from the working input                    max        mean\n");
    for (int c = 0; c < 3; ++c) {
        const Difference e = Compare(captured.corrected, Stored(exact.output, false), c);
        const Difference s = Compare(captured.corrected, Stored(stored.output, false), c);
        std::printf("  %c: exact reference                                  %-10.6f %.6f\n", "RGB"[c], e.max, e.mean);
        std::printf("  %c: reference stored in half floats                  %-10.6f %.6f\n", "RGB"[c], s.max, s.mean);
    }

    const int pixels = picture.width * picture.height;
    const Artefacts engineCount = Count(captured.corrected, &exact.output);
    const Artefacts exactCount = Count(exact.output, nullptr);
    const Artefacts storedCount = Count(stored.output, &exact.output);
    std::printf("\nartefacts (of %d pixels)          engine   exact reference   half-float reference\n", pixels);
    std::printf("  black                           %-8d %-17d %d\n", engineCount.black, exactCount.black, storedCount.black);
    std::printf("  a zero channel                  %-8d %-17d %d\n", engineCount.zeroChannel, exactCount.zeroChannel,
                storedCount.zeroChannel);
    std::printf("  brighter than exact by > 24     %-8d %-17s %d\n", engineCount.specks, "-", storedCount.specks);
    for (size_t k = 0; k < captured.deviation.size(); ++k)
        if (captured.deviation[k].width)
            std::printf("  mean deviation, level %zu         %-8.5f %-17.5f %.5f\n", k, Mean(captured.deviation[k]),
                        Mean(exact.deviation[k]), Mean(stored.deviation[k]));
    return 0;
}
