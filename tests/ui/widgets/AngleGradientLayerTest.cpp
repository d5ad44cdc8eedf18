// The conic gradient: its bitmap pixel by pixel, the presets, the mended edges, and what a
// composed screen shows of it.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/quartzcore/CACompositor.h"
#include "support/ImageRegions.h"
#include "ui/widgets/AngleGradientLayer.h"

namespace {

constexpr CGColor kRed{1, 0, 0, 1}, kBlue{0, 0, 1, 1};

// The raw bytes of a pixel (little-endian words: alpha, blue, green, red).
std::array<int, 4> bytesAt(const CGImageRef& image, std::size_t x, std::size_t y) {
    const std::uint8_t* p = CGImageGetData(image)->data() + y * CGImageGetBytesPerRow(image) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

TEST(AngleGradientLayer, BitmapRunsFromTheRightTowardsIncreasingRows) {
    // Red, blue and red again; centre (50, 50) of a 100 x 100 bitmap.
    auto layer = AngleGradientLayer::angleGradientLayer({kRed, kBlue});
    ASSERT_EQ(layer->colors().size(), 3u);
    auto image = layer->newImageGradientInRect(CGRectMake(0, 0, 100, 100.7));
    ASSERT_TRUE(image);
    EXPECT_EQ(CGImageGetHeight(image), 100u) << "sides truncated";
    using Bytes = std::array<int, 4>;
    EXPECT_EQ(bytesAt(image, 90, 50), (Bytes{255, 0, 0, 255})) << "right: red";
    EXPECT_EQ(bytesAt(image, 50, 90), (Bytes{255, 127, 0, 127})) << "below: an even mix";
    EXPECT_EQ(bytesAt(image, 10, 50), (Bytes{255, 255, 0, 0})) << "left: blue";

    // Locations that do not match the colours are ignored.
    layer->setLocations({0, 0.9});
    EXPECT_EQ(bytesAt(layer->newImageGradientInRect(CGRectMake(0, 0, 100, 100)), 50, 90), (Bytes{255, 127, 0, 127}));

    // Half-transparent red is stored premultiplied.
    auto clear = AngleGradientLayer::angleGradientLayer({{1, 0, 0, 0.5}});
    EXPECT_EQ(bytesAt(clear->newImageGradientInRect(CGRectMake(0, 0, 10, 10)), 8, 5), (Bytes{127, 0, 0, 127}));
}

TEST(AngleGradientLayer, PresetsAndLocations) {
    auto flat = AngleGradientLayer::flatSpectrumGradientLayer()->newImageGradientInRect(CGRectMake(0, 0, 100, 100));
    expectColor(CGImageGetPixel(flat, 50, 90), {1, 0.5, 0, 1}, "flat spectrum at a quarter: orange", 0.01);
    expectColor(CGImageGetPixel(flat, 82, 26), {0.5, 0, 0.5, 1}, "at 0.9: purple", 0.01);
    auto smooth = AngleGradientLayer::spectrumGradientLayer();
    EXPECT_EQ(smooth->colors().size(), 7u);
    EXPECT_TRUE(smooth->locations().empty());

    // Below the first location: the first colour.
    auto late = AngleGradientLayer::angleGradientLayer({});
    late->setColors({kRed, kBlue});
    late->setLocations({0.5, 1});
    auto image = late->newImageGradientInRect(CGRectMake(0, 0, 100, 100));
    expectColor(CGImageGetPixel(image, 50, 90), kRed, "t = 0.25, before the first location");
    expectColor(CGImageGetPixel(image, 50, 10), {0.5, 0, 0.5, 1}, "t = 0.75, halfway between", 0.01);
}

TEST(AngleGradientLayer, NothingToPaint) {
    auto none = AngleGradientLayer::angleGradientLayer({});
    EXPECT_TRUE(none->colors().empty());
    EXPECT_EQ(none->newImageGradientInRect(CGRectMake(0, 0, 10, 10)), nullptr) << "no colours";
    auto some = AngleGradientLayer::angleGradientLayer({kRed});
    EXPECT_EQ(some->newImageGradientInRect(CGRectMake(0, 0, 0.5, 10)), nullptr) << "under one pixel";
    // Drawn with no colours: the background alone.
    none->setFrame(CGRectMake(0, 0, 10, 10));
    none->setBackgroundColor(CGColor{0, 1, 0, 1});
    expectColor(CGImageGetPixel(none->drawToImage(), 5, 5), {0, 1, 0, 1}, "background only");
}

TEST(AngleGradientLayer, ComposedScreenShowsTheConicCases) {
    struct Case {
        const char* name;
        std::shared_ptr<AngleGradientLayer> layer;
        CGColor right, left, top, bottom;
    } cases[] = {
        // The bitmap is drawn as images are drawn into a layer, first row at the bottom, so on
        // screen a quarter turn lies above the centre.
        {"red and blue",
         AngleGradientLayer::angleGradientLayer({kRed, kBlue}),
         kRed,
         kBlue,
         {0.5, 0, 0.5, 1},
         {0.5, 0, 0.5, 1}},
        {"flat spectrum", AngleGradientLayer::flatSpectrumGradientLayer(), kRed, {0, 1, 0, 1}, {1, 0.5, 0, 1}, kBlue},
    };
    for (const Case& c : cases) {
        auto screen = CALayer::layer();
        screen->setFrame(CGRectMake(0, 0, 100, 100));
        c.layer->setFrame(CGRectMake(0, 0, 100, 100));
        c.layer->setContentsScale(2);
        screen->addSublayer(c.layer);
        const CGImageRef shot = CACompositor::compose(*screen, {100, 100}, 2);
        const std::string name = c.name;
        // Just past the band edges at a full and a half turn.
        expectColor(meanColorInPoints(shot, {{86, 45}, {4, 2}}, 2), c.right, name + " right", 0.05);
        expectColor(meanColorInPoints(shot, {{10, 53}, {4, 2}}, 2), c.left, name + " left", 0.05);
        expectColor(meanColorInPoints(shot, {{49, 10}, {2, 4}}, 2), c.top, name + " top", 0.05);
        expectColor(meanColorInPoints(shot, {{49, 86}, {2, 4}}, 2), c.bottom, name + " bottom", 0.05);
        expectColor(CGImageGetPixel(c.layer->drawToImage(), 50, 12), c.top, name + " drawn to an image", 0.05);
    }
}

}  // namespace
