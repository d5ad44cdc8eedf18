#include "platform/coregraphics/CGStackBlur.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kMaxChannels = 4;

// One pass along lines of `length` samples. Line `line` sample `i` is read at
// `read(line, i)` and written through `write(line, i, value)`; both take the channel count
// into account. Everything the ring needs lives on the heap: radii up to the maximum would
// overflow a thread's stack otherwise.
template <typename Read, typename Write>
void blurLines(std::size_t lines, std::size_t length, int r, int channels, const std::vector<std::uint8_t>& dv,
               Read read, Write write) {
    const int div = 2 * r + 1;
    std::vector<int> stack(static_cast<std::size_t>(div) * kMaxChannels);
    std::vector<std::size_t> next(length);
    for (std::size_t i = 0; i < length; ++i) next[i] = std::min(i + r + 1, length - 1);

    for (std::size_t line = 0; line < lines; ++line) {
        std::array<int, kMaxChannels> sum{}, inSum{}, outSum{};
        for (int i = -r; i <= r; ++i) {
            const std::size_t at = std::min<std::size_t>(length - 1, static_cast<std::size_t>(std::max(i, 0)));
            int* entry = &stack[static_cast<std::size_t>(i + r) * kMaxChannels];
            const int weight = r + 1 - std::abs(i);
            for (int c = 0; c < channels; ++c) {
                entry[c] = read(line, at, c);
                sum[c] += entry[c] * weight;
                (i > 0 ? inSum : outSum)[c] += entry[c];
            }
        }
        int sp = r;
        for (std::size_t x = 0; x < length; ++x) {
            for (int c = 0; c < channels; ++c) {
                write(line, x, c, dv[static_cast<std::size_t>(sum[c])]);
                sum[c] -= outSum[c];
            }
            int* entry = &stack[static_cast<std::size_t>((sp - r + div) % div) * kMaxChannels];
            for (int c = 0; c < channels; ++c) {
                outSum[c] -= entry[c];
                entry[c] = read(line, next[x], c);
                inSum[c] += entry[c];
                sum[c] += inSum[c];
            }
            sp = (sp + 1) % div;
            entry = &stack[static_cast<std::size_t>(sp) * kMaxChannels];
            for (int c = 0; c < channels; ++c) {
                outSum[c] += entry[c];
                inSum[c] -= entry[c];
            }
        }
    }
}

}  // namespace

void CGStackBlur(std::uint8_t* pixels, std::size_t width, std::size_t height, std::size_t bytesPerRow,
                 int radius, bool blurFourthByte) {
    if (!pixels || radius <= 0 || width == 0 || height == 0 || bytesPerRow < width * 4) return;
    const int r = std::min(radius, kCGStackBlurMaxRadius);
    const int channels = blurFourthByte ? 4 : 3;
    const std::size_t divsum = static_cast<std::size_t>(r + 1) * static_cast<std::size_t>(r + 1);
    // The largest weighted sum is 255 x divsum, so 256 x divsum entries cover every index.
    std::vector<std::uint8_t> dv(256 * divsum);
    for (std::size_t k = 0; k < dv.size(); ++k) dv[k] = static_cast<std::uint8_t>(k / divsum);

    // The horizontal pass writes planes of whole samples, the vertical one reads them back.
    const std::size_t C = static_cast<std::size_t>(channels);
    std::vector<std::uint8_t> plane(width * height * C);
    blurLines(
        height, width, r, channels, dv,
        [&](std::size_t y, std::size_t x, int c) { return int(pixels[y * bytesPerRow + x * 4 + c]); },
        [&](std::size_t y, std::size_t x, int c, std::uint8_t v) { plane[(y * width + x) * C + c] = v; });
    blurLines(
        width, height, r, channels, dv,
        [&](std::size_t x, std::size_t y, int c) { return int(plane[(y * width + x) * C + c]); },
        [&](std::size_t x, std::size_t y, int c, std::uint8_t v) { pixels[y * bytesPerRow + x * 4 + c] = v; });
}
