// Speed of the drawing stand-ins: composing a full phone screen of layers, and the stack blur
// at the radii the screens use.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <numbers>
#include <vector>

#include "platform/coregraphics/CGStackBlur.h"
#include "platform/foundation/HeapReuse.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/CAGradientLayer.h"
#include "platform/quartzcore/CAShapeLayer.h"

namespace {

constexpr CGSize kPhone{375, 667};
constexpr double kPhoneScale = 2;

// A screen like the application's: a gradient backdrop, a photo, a column of rounded cards
// with shadows and borders, a ring of shape layers, a half-transparent bar on top.
std::shared_ptr<CALayer> phoneScreen() {
    auto root = CALayer::layer();
    root->setFrame({{0, 0}, kPhone});
    auto backdrop = CAGradientLayer::layer();
    backdrop->setFrame(root->bounds());
    backdrop->setColors({{0.1, 0.1, 0.4, 1}, {0.0, 0.0, 0.1, 1}});
    root->addSublayer(backdrop);

    std::vector<std::uint8_t> pixels(640 * 480 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7 % 251);
    auto photo = CALayer::layer();
    photo->setFrame({{0, 60}, {375, 280}});
    photo->setContents(
        CGImageCreate(640, 480, 8, 32, 640 * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, pixels));
    photo->setContentsGravity(CAContentsGravity::ResizeAspectFill);
    photo->setMasksToBounds(true);
    root->addSublayer(photo);

    for (int i = 0; i < 6; ++i) {
        auto card = CALayer::layer();
        card->setFrame({{16, 360 + 48.0 * i}, {343, 40}});
        card->setBackgroundColor(CGColor{1, 1, 1, 0.9});
        card->setCornerRadius(10);
        card->setBorderWidth(1);
        card->setBorderColor({0.8, 0.8, 0.8, 1});
        card->setShadowOpacity(0.3);
        card->setShadowRadius(4);
        card->setShadowOffset({0, 2});
        root->addSublayer(card);
    }
    for (int i = 0; i < 8; ++i) {
        auto dot = CAShapeLayer::layer();
        dot->setFrame({{40.0 + 38 * i, 20}, {30, 30}});
        dot->setPath(CGPathCreateWithEllipseInRect(CGRectMake(2, 2, 26, 26)));
        dot->setFillColor(CGColor{1, 0.5, 0.1, 1});
        dot->setStrokeColor(CGColor{1, 1, 1, 1});
        dot->setLineWidth(2);
        dot->setAffineTransform(CGAffineTransformMakeRotation(i * std::numbers::pi / 8));
        root->addSublayer(dot);
    }
    auto bar = CALayer::layer();
    bar->setFrame({{0, 617}, {375, 50}});
    bar->setBackgroundColor(CGColor{0, 0, 0, 1});
    bar->setOpacity(0.6);
    root->addSublayer(bar);
    return root;
}

void ComposePhoneScreen(benchmark::State& state) {
    auto root = phoneScreen();
    for (auto _ : state) benchmark::DoNotOptimize(CACompositor::compose(*root, kPhone, kPhoneScale));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ComposePhoneScreen)->Unit(benchmark::kMillisecond);

// Radius 4 and 5 on a scaled-down picture, as album covers and backgrounds use it; 40 for a
// heavy shadow.
void StackBlur(benchmark::State& state) {
    const std::size_t side = 512;
    std::vector<std::uint8_t> pixels(side * side * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 13 % 253);
    for (auto _ : state) {
        CGStackBlur(pixels.data(), side, side, side * 4, static_cast<int>(state.range(0)));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pixels.size()));
}
BENCHMARK(StackBlur)->Arg(4)->Arg(5)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace

// As the application runs: big freed buffers kept for the next frame.
int main(int argc, char** argv) {
    HeapReuse::KeepFreedBuffers();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
