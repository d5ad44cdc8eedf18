// The placeholder for the camera's content view: the bundled sample redrawn at the view's
// size and shown enhanced, snaps that hand back the unenhanced picture without metadata, and
// a disabled camera that clears the picture and lets the picture zoom again.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/capture/PlaceholderContentView.h"
#include "engine/view/UIImageData.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

// The spread (standard deviation, 0-255) of a picture's first channel: the enhancement
// stretches the sample's narrow band of tones.
double Spread(const UIImagePtr& image) {
    const CGImageRef& cg = image->CGImage();
    const auto data = CGImageGetData(cg);
    const size_t w = CGImageGetWidth(cg), h = CGImageGetHeight(cg), row = CGImageGetBytesPerRow(cg);
    const size_t step = CGImageGetBitsPerPixel(cg) / 8;
    double sum = 0, squares = 0;
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x) {
            const double v = (*data)[y * row + x * step];
            sum += v;
            squares += v * v;
        }
    const double n = static_cast<double>(w * h), mean = sum / n;
    return std::sqrt(squares / n - mean * mean);
}

class PlaceholderContentViewTest : public ::testing::Test {
protected:
    void SetUp() override { NSRunLoop::mainRunLoop().useManualClock(0); }
    void TearDown() override { NSRunLoop::mainRunLoop().runUntilIdle(); }
    std::shared_ptr<PlaceholderContentView> view = std::make_shared<PlaceholderContentView>(CGRectMake(0, 0, 320, 480));
};

TEST_F(PlaceholderContentViewTest, EnablingShowsTheSampleAtTheViewsSizeEnhanced) {
    int completions = 0;
    view->animateCameraEnabled(true, [&] { ++completions; });
    EXPECT_EQ(completions, 1) << "at once";
    EXPECT_FALSE(view->zoomEnabled());
    const UIImagePtr unprocessed = view->unprocessedImage();
    ASSERT_TRUE(unprocessed) << "the sample is bundled";
    EXPECT_EQ(unprocessed->size(), CGSizeMake(320, 480));
    const UIImagePtr shown = view->image();
    ASSERT_TRUE(shown);
    EXPECT_NE(shown, unprocessed);
    EXPECT_EQ(shown->size(), unprocessed->size());
    EXPECT_GT(Spread(shown), Spread(unprocessed) * 1.2) << "the dull sample comes out livelier";

    // The picture processors enhance the same way, from an image or its data.
    const UIImagePtr processed = view->processedImageForCameraImage(unprocessed);
    ASSERT_TRUE(processed);
    EXPECT_NEAR(Spread(processed), Spread(shown), 1.0);
    const auto data = UIImageData::imageDataWithUIImage(unprocessed);
    EXPECT_NEAR(Spread(view->processedImageForImageData(data.get())), Spread(shown), 1.0);
    EXPECT_EQ(view->processedImageForImageData(nullptr), nullptr);
}

TEST_F(PlaceholderContentViewTest, ASnapHandsBackTheUnenhancedPictureWithoutMetadata) {
    view->animateCameraEnabled(true, nullptr);
    std::vector<std::string> order;
    view->animateCameraSnap(
        [&] { order.push_back("block"); },
        [&](const UIImagePtr& image, const std::optional<platform::ImageProperties>& metadata, const NSErrorPtr&) {
            order.push_back("completion");
            EXPECT_EQ(image, view->unprocessedImage());
            EXPECT_FALSE(metadata);
        });
    EXPECT_EQ(order, (std::vector<std::string>{"block", "completion"}));
    int swaps = 0;
    view->animateFrontBack([&] { ++swaps; });
    EXPECT_EQ(swaps, 1);
}

TEST_F(PlaceholderContentViewTest, DisablingClearsThePictureAndTurnsZoomingOn) {
    view->animateCameraEnabled(true, nullptr);
    int completions = 0;
    view->animateCameraEnabled(false, [&] { ++completions; });
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(view->zoomEnabled());
    EXPECT_EQ(view->unprocessedImage(), nullptr);
    EXPECT_EQ(view->image(), nullptr);
}

}  // namespace
