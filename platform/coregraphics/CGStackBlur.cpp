#include "platform/coregraphics/CGStackBlur.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {

// One pass along lines of `length` samples of C channels. Sample `i` of line `line` is read
// at `read(line, i, c)` and written through `write(line, i, c, value)`. Everything the ring
// needs lives on the heap: radii up to the maximum would overflow a thread's stack otherwise.
template <int C, typename Read, typename Write>
void blurLines(std::size_t lines, std::size_t length, int r, const std::vector<std::uint8_t>& dv, Read read,
               Write write) {
    const int div = 2 * r + 1;
    std::vector<std::array<int, C>> stack(static_cast<std::size_t>(div));
    std::vector<std::size_t> next(length);
    for (std::size_t i = 0; i < length; ++i) next[i] = std::min(i + r + 1, length - 1);

    for (std::size_t line = 0; line < lines; ++line) {
        std::array<int, C> sum{}, inSum{}, outSum{};
        for (int i = -r; i <= r; ++i) {
            const std::size_t at = std::min<std::size_t>(length - 1, static_cast<std::size_t>(std::max(i, 0)));
            auto& entry = stack[static_cast<std::size_t>(i + r)];
            const int weight = r + 1 - std::abs(i);
            for (int c = 0; c < C; ++c) {
                entry[c] = read(line, at, c);
                sum[c] += entry[c] * weight;
                (i > 0 ? inSum : outSum)[c] += entry[c];
            }
        }
        // The stack pointer starts at r; the entry leaving the window is r behind it (mod div).
        int sp = r, leave = 0;
        for (std::size_t x = 0; x < length; ++x) {
            for (int c = 0; c < C; ++c) {
                write(line, x, c, dv[static_cast<std::size_t>(sum[c])]);
                sum[c] -= outSum[c];
            }
            auto& leaving = stack[static_cast<std::size_t>(leave)];
            for (int c = 0; c < C; ++c) {
                outSum[c] -= leaving[c];
                leaving[c] = read(line, next[x], c);
                inSum[c] += leaving[c];
                sum[c] += inSum[c];
            }
            if (++sp == div) sp = 0;
            if (++leave == div) leave = 0;
            const auto& centre = stack[static_cast<std::size_t>(sp)];
            for (int c = 0; c < C; ++c) {
                outSum[c] += centre[c];
                inSum[c] -= centre[c];
            }
        }
    }
}

// Blurs the first C bytes of pixels `pixelBytes` apart, in rows `bytesPerRow` apart: across
// each row into planes of whole samples, then down each column back into the pixels.
template <int C>
void blur(std::uint8_t* pixels, std::size_t width, std::size_t height, std::size_t bytesPerRow, std::size_t pixelBytes,
          int radius) {
    const int r = std::min(radius, kCGStackBlurMaxRadius);
    const std::size_t divsum = static_cast<std::size_t>(r + 1) * static_cast<std::size_t>(r + 1);
    // The largest weighted sum is 255 x divsum, so 256 x divsum entries cover every index.
    std::vector<std::uint8_t> dv(256 * divsum);
    for (std::size_t k = 0; k < dv.size(); ++k) dv[k] = static_cast<std::uint8_t>(k / divsum);

    std::vector<std::uint8_t> plane(width * height * C);
    blurLines<C>(
        height, width, r, dv,
        [&](std::size_t y, std::size_t x, int c) { return int(pixels[y * bytesPerRow + x * pixelBytes + c]); },
        [&](std::size_t y, std::size_t x, int c, std::uint8_t v) { plane[(y * width + x) * C + c] = v; });
    blurLines<C>(
        width, height, r, dv, [&](std::size_t x, std::size_t y, int c) { return int(plane[(y * width + x) * C + c]); },
        [&](std::size_t x, std::size_t y, int c, std::uint8_t v) { pixels[y * bytesPerRow + x * pixelBytes + c] = v; });
}

bool nothingToDo(const std::uint8_t* pixels, std::size_t width, std::size_t height, std::size_t bytesPerRow,
                 std::size_t pixelBytes, int radius) {
    return !pixels || radius <= 0 || width == 0 || height == 0 || bytesPerRow < width * pixelBytes;
}

}  // namespace

void CGStackBlur(std::uint8_t* pixels, std::size_t width, std::size_t height, std::size_t bytesPerRow, int radius,
                 bool blurFourthByte) {
    if (nothingToDo(pixels, width, height, bytesPerRow, 4, radius)) return;
    if (blurFourthByte) blur<4>(pixels, width, height, bytesPerRow, 4, radius);
    else blur<3>(pixels, width, height, bytesPerRow, 4, radius);
}

void CGStackBlurPlane(std::uint8_t* samples, std::size_t width, std::size_t height, std::size_t bytesPerRow,
                      int radius) {
    if (!nothingToDo(samples, width, height, bytesPerRow, 1, radius))
        blur<1>(samples, width, height, bytesPerRow, 1, radius);
}
