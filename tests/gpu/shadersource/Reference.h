#pragma once
// CPU references for the filter programs: clamp-to-edge sampling, 8-bit rounding of stored
// results, and the comparisons the render tests share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "RawGL.h"

namespace reference {

inline float Quantize(float v) { return std::round(std::clamp(v, 0.0f, 1.0f) * 255.0f) / 255.0f; }

inline float Clamped(const rawgl::Image& image, int x, int y, int c) {
    return image.at(std::clamp(x, 0, image.width - 1), std::clamp(y, 0, image.height - 1), c);
}

// A smooth but varied test picture, exactly representable in 8 bits.
inline rawgl::Image TestPicture(int width, int height) {
    rawgl::Image image = rawgl::MakeImage(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                const float v = 0.5f + 0.4f * std::sin(0.7f * x + 1.3f * y * (c + 1) + c) *
                                           std::cos(0.45f * y - 0.3f * x * c);
                image.at(x, y, c) = Quantize(v);
            }
    return image;
}

// A 1-D convolution with integer offsets along one axis, clamped at the edges.
inline rawgl::Image Convolve(const rawgl::Image& in, const std::vector<double>& w, bool vertical,
                             int channels = 4) {
    rawgl::Image out = in;
    const int h = static_cast<int>(w.size()) / 2;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            for (int c = 0; c < channels; ++c) {
                double sum = 0.0;
                for (int i = -h; i <= h; ++i)
                    sum += w[static_cast<size_t>(i + h)] *
                           Clamped(in, vertical ? x : x + i, vertical ? y + i : y, c);
                out.at(x, y, c) = static_cast<float>(sum);
            }
    return out;
}

inline rawgl::Image QuantizeAll(rawgl::Image image) {
    for (float& v : image.rgba) v = Quantize(v);
    return image;
}

// Largest channel difference over the listed channels; reports the worst pixel on failure.
inline void ExpectClose(const rawgl::Image& actual, const rawgl::Image& expected, float tolerance,
                        std::vector<int> channels = {0, 1, 2, 3}, const std::string& what = "") {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    float worst = 0.0f;
    int wx = 0, wy = 0, wc = 0;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            for (int c : channels) {
                const float d = std::fabs(actual.at(x, y, c) - expected.at(x, y, c));
                if (d > worst) worst = d, wx = x, wy = y, wc = c;
            }
    EXPECT_LE(worst, tolerance) << what << " worst at (" << wx << ", " << wy << ") channel " << wc
                                << ": " << actual.at(wx, wy, wc) << " vs " << expected.at(wx, wy, wc);
}

}  // namespace reference
