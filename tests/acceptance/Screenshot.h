#pragma once
// A screenshot the program wrote (PNG), read as a person looks at it: regions given in the
// screen's points, their mean colour, how colourful they are and how far they differ from the
// same region of another screenshot. Also the same statistics of a photograph itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "platform/imageio/ImageIO.h"
#include "support/ImageRegions.h"

namespace acceptance {

// The phone's screen in points, as scripts address it.
constexpr double kScreenWidth = 375, kScreenHeight = 667;

struct Region {
    double x = 0, y = 0, width = 0, height = 0;  // points
};

struct Colour {
    double r = 0, g = 0, b = 0;  // 0 to 1
    double brightness() const { return (r + g + b) / 3; }
};

class Screenshot {
public:
    // The PNG at `path`, at `scale` pixels a point (the phone's 2).
    explicit Screenshot(const std::filesystem::path& path, double scale = 2) : scale_(scale) {
        platform::ImageIOError error;
        auto decoded = platform::DecodeImageFile(path.string(), platform::ImagePixelFormat::RGBA, &error);
        EXPECT_TRUE(decoded) << path << ": " << error.message;
        if (decoded) bitmap_ = std::move(decoded->bitmap);
    }
    explicit Screenshot(platform::ImageBitmap bitmap, double scale) : bitmap_(std::move(bitmap)), scale_(scale) {}

    bool valid() const { return !bitmap_.empty(); }
    // Writes the picture as a PNG, for a look at what a failed case saw.
    bool write(const std::filesystem::path& path) const {
        return valid() && platform::WriteImageFile(bitmap_, platform::ImageFileType::PNG, {}, path.string());
    }
    const platform::ImageBitmap& bitmap() const { return bitmap_; }
    Region whole() const { return {0, 0, bitmap_.width / scale_, bitmap_.height / scale_}; }

    Colour meanColour(Region r) const {
        Colour sum;
        const double n = forEach(
            r, [&sum](const std::uint8_t* p) { sum.r += p[0] / 255.0, sum.g += p[1] / 255.0, sum.b += p[2] / 255.0; });
        if (n > 0) sum.r /= n, sum.g /= n, sum.b /= n;
        return sum;
    }
    // The mean HSL saturation: 0 for greys, 1 for pure hues.
    double meanSaturation(Region r) const {
        double sum = 0;
        const double n = forEach(
            r, [&sum](const std::uint8_t* p) { sum += hslSaturation(p[0] / 255.0, p[1] / 255.0, p[2] / 255.0); });
        return n > 0 ? sum / n : 0;
    }
    // The mean absolute difference of the region's pixels from the same pixels of `other`, in
    // levels of 0 to 1 averaged over the three channels.
    double meanDifference(const Screenshot& other, Region r) const {
        if (other.bitmap_.width != bitmap_.width || other.bitmap_.height != bitmap_.height) return 1;
        double sum = 0;
        const double n = forEach(r, [&](const std::uint8_t* p) {
            const std::uint8_t* q = other.bitmap_.pixels.data() + (p - bitmap_.pixels.data());
            for (int k = 0; k < 3; ++k) sum += std::abs(int(p[k]) - int(q[k])) / 255.0;
        });
        return n > 0 ? sum / (3 * n) : 0;
    }
    // The spread of the region's brightness (standard deviation, 0 to 1): a flat area shows
    // nothing, a photograph shows its detail.
    double brightnessSpread(Region r) const {
        double sum = 0, squares = 0;
        const double n = forEach(r, [&](const std::uint8_t* p) {
            const double v = (p[0] + p[1] + p[2]) / (3 * 255.0);
            sum += v, squares += v * v;
        });
        if (n == 0) return 0;
        const double mean = sum / n;
        return std::sqrt(std::max(0.0, squares / n - mean * mean));
    }

private:
    template <typename Visit>
    double forEach(Region r, Visit visit) const {
        const auto x0 = static_cast<std::uint32_t>(std::clamp(r.x * scale_, 0.0, double(bitmap_.width)));
        const auto y0 = static_cast<std::uint32_t>(std::clamp(r.y * scale_, 0.0, double(bitmap_.height)));
        const auto x1 = static_cast<std::uint32_t>(std::clamp((r.x + r.width) * scale_, 0.0, double(bitmap_.width)));
        const auto y1 = static_cast<std::uint32_t>(std::clamp((r.y + r.height) * scale_, 0.0, double(bitmap_.height)));
        for (std::uint32_t y = y0; y < y1; ++y)
            for (std::uint32_t x = x0; x < x1; ++x) visit(bitmap_.pixel(x, y));
        return double(x1 - x0) * (y1 - y0);
    }

    platform::ImageBitmap bitmap_;
    double scale_ = 2;
};

// A picture is shown as colourful as its photograph when its mean saturation is within this
// share of the photograph's own (scaling, the screen's rendering and a mode's light touch stay
// well inside it; a grey and flat picture is far outside).
constexpr double kSaturationKept = 0.25;

// A photograph as its file holds it, upright and reduced, for the same statistics.
inline Screenshot Photograph(const std::filesystem::path& path, std::uint32_t longSide = 512) {
    const auto source = platform::ImageSource::createWithFile(path.string());
    EXPECT_TRUE(source) << path;
    auto bitmap = source ? source->createThumbnailAtIndex(0, longSide) : std::nullopt;
    EXPECT_TRUE(bitmap) << path;
    return Screenshot(bitmap ? std::move(*bitmap) : platform::ImageBitmap{}, 1);
}

}  // namespace acceptance
