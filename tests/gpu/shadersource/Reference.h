#pragma once
// CPU references for the filter programs: clamp-to-edge sampling, 8-bit rounding of stored
// results, and the comparisons the render tests share.
#include <gtest/gtest.h>

#include <vector>

#include "support/RawGL.h"
#include "support/TestImage.h"

namespace reference {

using testimage::ExpectClose;
using testimage::Quantize8;

inline rawgl::Image QuantizeAll(rawgl::Image image) {
    for (float& v : image.rgba) v = Quantize8(v);
    return image;
}

// A smooth but varied test picture, exactly representable in 8 bits.
inline rawgl::Image TestPicture(int width, int height) { return QuantizeAll(testimage::TestPicture(width, height)); }

// A 1-D convolution with integer offsets along one axis, clamped at the edges.
inline rawgl::Image Convolve(const rawgl::Image& in, const std::vector<double>& w, bool vertical, int channels = 4) {
    rawgl::Image out = in;
    const int h = static_cast<int>(w.size()) / 2;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            for (int c = 0; c < channels; ++c) {
                double sum = 0.0;
                for (int i = -h; i <= h; ++i)
                    sum += w[static_cast<size_t>(i + h)] * in.clamped(vertical ? x : x + i, vertical ? y + i : y, c);
                out.at(x, y, c) = static_cast<float>(sum);
            }
    return out;
}

}  // namespace reference
