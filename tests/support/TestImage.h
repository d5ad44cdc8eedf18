#pragma once
// Small RGBA float images for render tests: a varied test picture, the 8-bit storage a target
// gives it, and a comparison that names the worst pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace testimage {

// RGBA floats, rows bottom-up as GL stores them.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0.0f) {}
    float at(int x, int y, int c) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + c]; }
    float& at(int x, int y, int c) { return rgba[(static_cast<size_t>(y) * width + x) * 4 + c]; }
    // Clamped to the edge, as the samplers read it.
    float clamped(int x, int y, int c) const {
        return at(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1), c);
    }
};

inline float Quantize8(float v) { return std::round(std::clamp(v, 0.0f, 1.0f) * 255.0f) / 255.0f; }

// The image as 8-bit RGBA bytes, and back.
inline std::vector<uint8_t> ToBytes(const Image& image) {
    std::vector<uint8_t> bytes(image.rgba.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(std::lround(Quantize8(image.rgba[i]) * 255.0f));
    return bytes;
}

inline Image FromBytes(const std::vector<uint8_t>& bytes, int width, int height) {
    Image image(width, height);
    for (size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = bytes[i] / 255.0f;
    return image;
}

// A smooth but varied picture in [0.1, 0.9].
inline Image TestPicture(int width, int height, int seed = 0) {
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                image.at(x, y, c) = 0.5f + 0.4f * std::sin(0.7f * x + 1.3f * y * (c + 1) + c + seed) *
                                               std::cos(0.45f * y - 0.3f * x * (c + seed));
    return image;
}

// Largest difference over the listed channels, skipping pixels whose expected value is not a
// number; reports the worst pixel.
inline void ExpectClose(const Image& actual, const Image& expected, float tolerance, const std::string& what,
                        std::vector<int> channels = {0, 1, 2, 3}) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    float worst = 0.0f;
    int wx = 0, wy = 0, wc = 0;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            for (int c : channels) {
                if (!std::isfinite(expected.at(x, y, c))) continue;
                const float d = std::fabs(actual.at(x, y, c) - expected.at(x, y, c));
                if (!(d <= worst)) worst = d, wx = x, wy = y, wc = c;
            }
    EXPECT_LE(worst, tolerance) << what << ": worst at (" << wx << ", " << wy << ") channel " << wc << ": "
                                << actual.at(wx, wy, wc) << " instead of " << expected.at(wx, wy, wc);
}

}  // namespace testimage
