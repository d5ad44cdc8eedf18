// Measures two precision artefacts of a render against its source photo, on the source's
// flattest patches (smooth skies, plain walls), where they show first:
// - block steps: the mean absolute luma step across the 8-pixel grid of the JPEG blocks less
//   the mean step inside the blocks (0 for a picture without block edges);
// - noise: the standard deviation of the luma left after a plane is fitted to each 16 × 16
//   cell (a light detrend that keeps the grain and drops the sky's gradient).
// Both in 8-bit levels. Usage:
//   tavorin_artefacts source.jpg render.png [patches [size]]
// The render must be the source's size, upright (the command-line render writes it so).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"

namespace {

struct Luma {
    int width = 0, height = 0;
    std::vector<double> values;
    double at(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
};

Luma LumaOf(const platform::ImageBitmap& bitmap) {
    Luma luma{static_cast<int>(bitmap.width), static_cast<int>(bitmap.height), {}};
    luma.values.resize(static_cast<size_t>(luma.width) * luma.height);
    for (int y = 0; y < luma.height; ++y)
        for (int x = 0; x < luma.width; ++x) {
            const uint8_t* p = bitmap.pixel(x, y);
            luma.values[static_cast<size_t>(y) * luma.width + x] = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
        }
    return luma;
}

std::optional<Luma> Load(const char* path) {
    platform::ImageIOError error;
    auto decoded = platform::DecodeImageFile(path, platform::ImagePixelFormat::RGBA, &error);
    if (!decoded) {
        std::fprintf(stderr, "%s: %s\n", path, error.message.c_str());
        return std::nullopt;
    }
    auto upright = platform::ApplyImageOrientation(decoded->bitmap, decoded->imageOrientation());
    if (!upright) return std::nullopt;
    return LumaOf(*upright);
}

struct Patch {
    int x = 0, y = 0, size = 0;
};

// Mean over the patch of the residual deviation after a plane fit per 16 × 16 cell.
double Noise(const Luma& l, const Patch& p) {
    const int cell = 16;
    double sum = 0;
    int cells = 0;
    for (int cy = p.y; cy + cell <= p.y + p.size; cy += cell)
        for (int cx = p.x; cx + cell <= p.x + p.size; cx += cell) {
            // Centred coordinates make the plane's three terms independent.
            double m = 0, sx = 0, sy = 0, xx = 0, yy = 0;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    const double v = l.at(cx + x, cy + y), u = x - 7.5, w = y - 7.5;
                    m += v;
                    sx += v * u;
                    sy += v * w;
                    xx += u * u;
                    yy += w * w;
                }
            m /= cell * cell;
            const double bx = sx / xx, by = sy / yy;
            double r2 = 0;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < cell; ++x) {
                    const double r = l.at(cx + x, cy + y) - (m + bx * (x - 7.5) + by * (y - 7.5));
                    r2 += r * r;
                }
            sum += std::sqrt(r2 / (cell * cell - 3));
            ++cells;
        }
    return cells ? sum / cells : 0;
}

// Steps across the 8-pixel grid (counted from the picture's origin) less the steps inside it,
// horizontal and vertical neighbours together.
double BlockStep(const Luma& l, const Patch& p) {
    double sum[2] = {};
    int n[2] = {};
    const auto add = [&](double a, double b, int next) {
        const int edge = next % 8 == 0 ? 1 : 0;
        sum[edge] += std::fabs(b - a);
        n[edge] += 1;
    };
    for (int y = p.y; y < p.y + p.size; ++y)
        for (int x = p.x; x < p.x + p.size; ++x) {
            if (x + 1 < p.x + p.size) add(l.at(x, y), l.at(x + 1, y), x + 1);
            if (y + 1 < p.y + p.size) add(l.at(x, y), l.at(x, y + 1), y + 1);
        }
    return sum[1] / n[1] - sum[0] / n[0];
}

// The flattest non-overlapping patches of the source, aligned to the block grid, away from
// clipped tones.
std::vector<Patch> FlattestPatches(const Luma& l, int count, int size) {
    std::vector<std::pair<double, Patch>> scored;
    for (int y = 0; y + size <= l.height; y += size)
        for (int x = 0; x + size <= l.width; x += size) {
            const Patch p{x, y, size};
            double mean = 0;
            for (int j = 0; j < size; ++j)
                for (int i = 0; i < size; ++i) mean += l.at(x + i, y + j);
            mean /= size * size;
            if (mean < 24 || mean > 230) continue;
            scored.push_back({Noise(l, p), p});
        }
    std::sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Patch> patches;
    for (size_t i = 0; i < scored.size() && static_cast<int>(i) < count; ++i) patches.push_back(scored[i].second);
    return patches;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s source render [patches [size]]\n", argv[0]);
        return 2;
    }
    const int count = argc > 3 ? std::atoi(argv[3]) : 8;
    const int size = argc > 4 ? std::max(32, std::atoi(argv[4]) / 16 * 16) : 128;
    auto source = Load(argv[1]);
    auto render = Load(argv[2]);
    if (!source || !render) return 1;
    if (source->width != render->width || source->height != render->height) {
        std::fprintf(stderr, "sizes differ: %dx%d and %dx%d\n", source->width, source->height, render->width,
                     render->height);
        return 1;
    }
    double sums[4] = {};
    const std::vector<Patch> patches = FlattestPatches(*source, count, size);
    std::printf("patch            block-in block-out  noise-in noise-out  ratio\n");
    for (const Patch& p : patches) {
        const double v[4] = {BlockStep(*source, p), BlockStep(*render, p), Noise(*source, p), Noise(*render, p)};
        std::printf("%5d,%-5d %4d  %8.3f %9.3f %9.3f %9.3f %6.2f\n", p.x, p.y, p.size, v[0], v[1], v[2], v[3],
                    v[3] / std::max(v[2], 1e-9));
        for (int i = 0; i < 4; ++i) sums[i] += v[i];
    }
    const double n = static_cast<double>(std::max<size_t>(patches.size(), 1));
    std::printf("mean             %8.3f %9.3f %9.3f %9.3f %6.2f\n", sums[0] / n, sums[1] / n, sums[2] / n, sums[3] / n,
                sums[3] / std::max(sums[2], 1e-9));
    return 0;
}
