// Speed of the image utilities' stack blur at the radii its callers use (4 for album covers,
// 5 for background pictures), on pictures of a few sizes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "ui/images/UIImage+ImageUtility.h"

namespace {

UIImagePtr Picture(std::size_t side) {
    std::vector<std::uint8_t> bytes(side * side * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    return UIImage::imageWithCGImage(CGImageCreate(side, side, 8, 32, side * 4, CGColorSpaceCreateDeviceRGB(),
                                                   kCGImageAlphaPremultipliedLast, std::move(bytes)));
}

void BM_ImageBlur(benchmark::State& state) {
    const UIImagePtr picture = Picture(static_cast<std::size_t>(state.range(0)));
    const auto radius = static_cast<unsigned>(state.range(1));
    for (auto _ : state) benchmark::DoNotOptimize(ImageUtility::blur(picture, radius));
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_ImageBlur)
    ->Args({256, 4})
    ->Args({256, 5})
    ->Args({1024, 5})
    ->Args({1024, 40})
    ->Unit(benchmark::kMillisecond);

}  // namespace
