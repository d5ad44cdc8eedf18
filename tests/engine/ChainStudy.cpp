// The precision study program: renders a small picture (a generated fixture or a crop of a
// photo) in a mode through the engine's preview path, at the filter scale of the whole photo,
// and prints how far each stage of the engine is from the double-precision reference fed the
// engine's own inputs, how far the whole chain is from the reference run from the working
// input, and the artefacts of interest counted in both: exactly black pixels, pixels with a
// zero channel, bright specks, and the local deviation of flat areas.
//
//   tavorin_chain_study [--mode NAME] [--scale S] FIXTURE | PHOTO X Y W H | --scan STEP PHOTO W H
//
// FIXTURE is "texture" (a fine texture, as of canvas or grass), "sky" (a smooth gradient with
// faint bumps) or "flat" (0.80 grey); a photo is cropped at (X, Y), W x H, and filtered at the
// scale of its full size unless --scale is given. --scan renders W x H crops every STEP pixels
// across the photo and lists those with an artefact in the engine or the reference.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
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
double Hash(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xffffff) / 16777216.0;
}

Picture Fixture(const std::string& name, int w, int h) {
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

std::optional<platform::ImageBitmap> Decode(const std::string& path) {
    const auto source = platform::ImageSource::createWithFile(path);
    return source ? source->createImageAtIndex(0, platform::ImagePixelFormat::RGBA) : std::nullopt;
}

Picture Crop(const platform::ImageBitmap& bitmap, int x0, int y0, int w, int h) {
    const int bw = static_cast<int>(bitmap.width), bh = static_cast<int>(bitmap.height);
    x0 = std::clamp(x0, 0, bw - 1), y0 = std::clamp(y0, 0, bh - 1);
    w = std::min(w, bw - x0), h = std::min(h, bh - y0);
    Picture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4), static_cast<double>(std::min(bw, bh))};
    for (int y = 0; y < h; ++y)
        std::copy_n(&bitmap.pixels[(static_cast<size_t>(y0 + y) * bw + x0) * 4], static_cast<size_t>(w) * 4,
                    &p.rgba[static_cast<size_t>(y) * w * 4]);
    return p;
}

struct Artefacts {
    int black = 0, zeroChannel = 0, specks = 0;
};

// Counts in an 8-bit RGBA plane; specks are pixels brighter than `reference` by more than
// 24 levels in every channel.
Artefacts Count(const Plane& out, const Plane* reference) {
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

double Mean(const Plane& p) {
    double sum = 0.0;
    for (double v : p.values) sum += v;
    return p.values.empty() ? 0.0 : sum / static_cast<double>(p.values.size());
}

struct Study {
    Artefacts engine, exact;
};

// Renders the picture through the renderer's engine and compares it with the reference;
// prints the tables when `print`.
Study Run(PhotoRenderer& renderer, const std::string& mode, const Picture& picture, double scale, bool print) {
    AmbrelGraphicsController& engine = renderer.engine();
    // The style passes after the colour correction draw over its result: left out here.
    engine.smoothing.type = eGaussianType::None;
    engine.smoothing.lineIntegral = false;
    engine.renderTarget = kRenderTargetOffscreen;
    engine.SetViewRect(0, 0, picture.width, picture.height);
    engine.SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(picture.width, picture.height), 0,
                          kPixelFormatRGBA, picture.rgba.data());
    engine.SetFilterScale(scale);
    engine.frameDirty = true;
    engine.RenderFrame();

    const CapturedChain captured = Capture(engine, renderer.device());
    ChainParameters p = ChainParameters::Of(engine, picture.width, picture.height);
    // The statistics as the engine measured them, so that the chains differ only in their stages.
    p.brightnessStatistic = captured.brightnessStatistic;
    p.contrastK = captured.contrastK;
    const ChainResult exact = EvaluateChain(captured.input, p);
    const Study study{Count(captured.corrected, &exact.output), Count(exact.output, nullptr)};
    if (!print) return study;
    p.storage = Storage::HalfNearest;
    const ChainResult stored = EvaluateChain(captured.input, p);
    p.storage = Storage::HalfTowardZero;
    const ChainResult truncated = EvaluateChain(captured.input, p);

    std::printf("%s, %d x %d, filter scale %.3f: %d levels, %d taps, box %d, tone mapping %s\n", mode.c_str(),
                picture.width, picture.height, scale, p.levels, p.taps, p.boxTaps, p.toneMappingOn ? "on" : "off");
    std::printf(
        "\nstage (engine vs reference fed the engine's inputs)   max        mean       at the largest: "
        "engine, reference, where\n");
    for (const StageDifference& s : CompareStages(captured, p))
        std::printf("  %-48s %-10.6f %-10.6f %.6f, %.6f at (%d, %d)\n", s.stage.c_str(), s.difference.max,
                    s.difference.mean, s.difference.first, s.difference.second, s.difference.x, s.difference.y);
    std::printf("\nwhole chain from the working input                    max        mean\n");
    for (int c = 0; c < 3; ++c) {
        const Difference e = Compare(captured.corrected, Stored(exact.output, false), c);
        const Difference s = Compare(captured.corrected, Stored(stored.output, false), c);
        const Difference t = Compare(captured.corrected, Stored(truncated.output, false), c);
        std::printf("  %c: exact reference                                  %-10.6f %.6f\n", "RGB"[c], e.max, e.mean);
        std::printf("  %c: reference in half floats, rounded to nearest     %-10.6f %.6f\n", "RGB"[c], s.max, s.mean);
        std::printf("  %c: reference in half floats, rounded towards zero   %-10.6f %.6f\n", "RGB"[c], t.max, t.mean);
    }
    const Artefacts storedCount = Count(stored.output, &exact.output);
    const Artefacts truncatedCount = Count(truncated.output, &exact.output);
    std::printf("\nartefacts (of %d pixels)          engine   exact    half, nearest   half, towards zero\n",
                picture.width * picture.height);
    std::printf("  black                           %-8d %-8d %-15d %d\n", study.engine.black, study.exact.black,
                storedCount.black, truncatedCount.black);
    std::printf("  a zero channel                  %-8d %-8d %-15d %d\n", study.engine.zeroChannel,
                study.exact.zeroChannel, storedCount.zeroChannel, truncatedCount.zeroChannel);
    std::printf("  brighter than exact by > 24     %-8d %-8s %-15d %d\n", study.engine.specks, "-", storedCount.specks,
                truncatedCount.specks);
    // Where the reference's blacks come from: the combined level 0 already at or below 0, or
    // only after the tone mapping.
    int combinedBelow = 0, tonedBelow = 0;
    for (size_t i = 0; i < exact.luminance.values.size(); ++i) {
        combinedBelow += exact.reconstructed[0].values[i] <= 0.0;
        tonedBelow += exact.luminance.values[i] <= 0.0;
    }
    const Artefacts inputCount = Count(captured.input, nullptr);
    std::printf(
        "  reference luminance <= 0: %d after the combine, %d after the tone mapping; the input has %d black "
        "pixels, %d with a zero channel\n",
        combinedBelow, tonedBelow, inputCount.black, inputCount.zeroChannel);
    // The first few pixels the engine leaves much brighter than the reference, and why.
    int shown = 0;
    for (int y = 0; y < picture.height && shown < 6; ++y)
        for (int x = 0; x < picture.width && shown < 6; ++x) {
            int brighter = 0;
            for (int c = 0; c < 3; ++c)
                brighter += captured.corrected.at(x, y, c) - exact.output.at(x, y, c) > 24.0 / 255.0;
            if (brighter < 3) continue;
            ++shown;
            std::printf(
                "  bright at (%d, %d): input luminance %.4f; luminance engine %.4f, reference %.4f; level 1 "
                "engine %.4f, reference %.4f; red engine %.3f, reference %.3f\n",
                x, y, captured.input.at(x, y, 3), captured.reconstructed[0].at(x, y), exact.luminance.at(x, y),
                SampleLinear(captured.reconstructed[1], (x + 0.5) / picture.width, (y + 0.5) / picture.height),
                SampleLinear(exact.reconstructed[1], (x + 0.5) / picture.width, (y + 0.5) / picture.height),
                captured.corrected.at(x, y, 0), exact.output.at(x, y, 0));
        }
    for (size_t k = 0; k < captured.deviation.size(); ++k)
        if (captured.deviation[k].width)
            std::printf("  mean deviation, level %zu         %-8.5f %-8.5f %-15.5f %.5f\n", k,
                        Mean(captured.deviation[k]), Mean(exact.deviation[k]), Mean(stored.deviation[k]),
                        Mean(truncated.deviation[k]));
    return study;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tavorin_chain_study [--mode NAME] [--scale S] texture|sky|flat | PHOTO X Y W H | "
                 "--scan STEP PHOTO W H\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = "Dramatic 2";
    double scale = 0.0;
    int scan = 0;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--mode" && i + 1 < argc) mode = argv[++i];
        else if (a == "--scale" && i + 1 < argc) scale = std::atof(argv[++i]);
        else if (a == "--scan" && i + 1 < argc) scan = std::atoi(argv[++i]);
        else args.push_back(a);
    }
    const auto number = [&](size_t i) { return std::atoi(args[i].c_str()); };
    std::optional<platform::ImageBitmap> photo;
    Picture picture;
    if (scan > 0 && args.size() == 3) {
        photo = Decode(args[0]);
        picture = photo ? Crop(*photo, 0, 0, number(1), number(2)) : Picture();
    } else if (scan == 0 && args.size() == 1) {
        picture = Fixture(args[0], 256, 192);
    } else if (scan == 0 && args.size() == 5) {
        photo = Decode(args[0]);
        picture = photo ? Crop(*photo, number(1), number(2), number(3), number(4)) : Picture();
    } else {
        return Usage();
    }
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
    const std::optional<TypeController::ModeName> named = TypeController::modeNamed(mode);
    if (!named || !renderer->applyMode(named->library)) {
        std::fprintf(stderr, "tavorin_chain_study: no mode \"%s\"\n", mode.c_str());
        return 1;
    }
    if (scan == 0) {
        Run(*renderer, mode, picture, scale, true);
        return 0;
    }
    Artefacts engineTotal, exactTotal;
    for (int y = 0; y + picture.height <= static_cast<int>(photo->height); y += scan)
        for (int x = 0; x + picture.width <= static_cast<int>(photo->width); x += scan) {
            const Study s = Run(*renderer, mode, Crop(*photo, x, y, picture.width, picture.height), scale, false);
            engineTotal.black += s.engine.black, engineTotal.zeroChannel += s.engine.zeroChannel;
            engineTotal.specks += s.engine.specks;
            exactTotal.black += s.exact.black, exactTotal.zeroChannel += s.exact.zeroChannel;
            if (s.engine.zeroChannel + s.engine.specks + s.exact.zeroChannel > 0)
                std::printf(
                    "crop %5d %5d: engine black %d, zero channel %d, specks %d; reference black %d, zero "
                    "channel %d\n",
                    x, y, s.engine.black, s.engine.zeroChannel, s.engine.specks, s.exact.black, s.exact.zeroChannel);
        }
    std::printf("total: engine black %d, zero channel %d, specks %d; reference black %d, zero channel %d\n",
                engineTotal.black, engineTotal.zeroChannel, engineTotal.specks, exactTotal.black,
                exactTotal.zeroChannel);
    return 0;
}
