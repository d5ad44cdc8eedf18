// Turning pictures upright, cropping and resizing.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/imageio/ImageIO.h"
#include "support/PixelImage.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

using pixelimage::RGBA8;

const RGBA8 kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kGrey{128, 128, 128, 255}, kBlack{0, 0, 0, 255};

// 5 × 3 stored pixels: red in the first corner, green beside it, so any turn or mirror shows.
RGBA8 marked(std::size_t x, std::size_t y) { return x == 0 && y == 0 ? kRed : x == 1 && y == 0 ? kGreen : kGrey; }

// The decoder's upright picture of the marked 5 × 3 pixels seen in an orientation.
platform::ImageBitmap decoderUpright(int orientation) {
    platform::ImageBitmap stored;
    stored.width = 5;
    stored.height = 3;
    stored.pixels.resize(5 * 3 * 4);
    for (std::uint32_t y = 0; y < 3; ++y)
        for (std::uint32_t x = 0; x < 5; ++x) {
            const RGBA8 p = marked(x, y);
            std::copy(p.begin(), p.end(), stored.pixel(x, y));
        }
    return *platform::ApplyImageOrientation(stored, orientation);
}

void expectPixels(const UIImagePtr& image, const platform::ImageBitmap& expected, int orientation) {
    ASSERT_TRUE(image) << orientation;
    ASSERT_EQ(pixelimage::width(image), expected.width) << orientation;
    ASSERT_EQ(pixelimage::height(image), expected.height) << orientation;
    EXPECT_EQ(image->imageOrientation(), UIImageOrientation::Up);
    for (std::uint32_t y = 0; y < expected.height; ++y)
        for (std::uint32_t x = 0; x < expected.width; ++x) {
            const std::uint8_t* e = expected.pixel(x, y);
            EXPECT_EQ(pixelimage::at(image, x, y), (RGBA8{e[0], e[1], e[2], e[3]}))
                << "orientation " << orientation << " at " << x << "," << y;
        }
}

TEST(ImageGeometryTest, NormalizeTurnsEveryOrientationAsTheImageDecoderDoes) {
    for (int o = 0; o < 8; ++o) {
        auto image = pixelimage::make(5, 3, marked, static_cast<UIImageOrientation>(o));
        expectPixels(ImageUtility::normalize(image), decoderUpright(o), o);
        expectPixels(ImageUtility::normalizeOrientation(image), decoderUpright(o), o);
    }
}

TEST(ImageGeometryTest, ResizingAtTheUprightSizeTurnsEveryOrientationUpright) {
    for (int o = 0; o < 8; ++o) {
        auto image = pixelimage::make(5, 3, marked, static_cast<UIImageOrientation>(o));
        expectPixels(ImageUtility::resizedImage(image, image->size(), kCGInterpolationNone), decoderUpright(o), o);
    }
    // The variant with an orientation marks its result with it.
    auto image = pixelimage::make(5, 3, marked);
    auto tagged = ImageUtility::resizedImage(image, {5, 3}, CGAffineTransformIdentity, false, kCGInterpolationNone,
                                             UIImageOrientation::DownMirrored);
    EXPECT_EQ(tagged->imageOrientation(), UIImageOrientation::DownMirrored);
    EXPECT_EQ(pixelimage::at(tagged, 0, 0), kRed);
}

TEST(ImageGeometryTest, RotateKeepsItsOrientationTable) {
    auto image = pixelimage::make(5, 3, marked);
    EXPECT_EQ(ImageUtility::rotate(image, 8), nullptr);
    EXPECT_EQ(ImageUtility::rotate(image, -1), nullptr);
    EXPECT_EQ(ImageUtility::rotateFromOrientation(image, 0), nullptr);
    auto right = ImageUtility::rotate(image, 3);
    EXPECT_EQ(pixelimage::width(right), 3u);
    EXPECT_EQ(pixelimage::height(right), 5u);
    // 6 and 7 give each other's upright picture (the "from" form swaps them back).
    expectPixels(ImageUtility::rotate(image, 6), decoderUpright(7), 6);
    expectPixels(ImageUtility::rotate(image, 7), decoderUpright(6), 7);
    // Device orientations: portrait and unknown give the image itself.
    EXPECT_EQ(ImageUtility::rotateFromDeviceOrientation(image, 1), image);
    expectPixels(ImageUtility::rotateFromDeviceOrientation(image, 4), decoderUpright(3), 3);
    // Up: the same object from normalizeOrientation, a new one from normalize.
    EXPECT_EQ(ImageUtility::normalizeOrientation(image), image);
    EXPECT_NE(ImageUtility::normalize(image), image);
}

TEST(ImageGeometryTest, ResizedSizes) {
    using M = UIViewContentMode;
    struct Case {
        CGSize image;
        M mode;
        CGSize bounds, expected;
    } cases[] = {
        {{400, 300}, M::ScaleAspectFit, {100, 100}, {100, 75}},
        {{400, 300}, M::ScaleAspectFill, {100, 100}, {133, 100}},
        {{1000, 10}, M::ScaleAspectFit, {16, 16}, {16, 0}},
        {{0, 300}, M::ScaleAspectFit, {100, 100}, {0, 0}},
        {{400, 0}, M::ScaleAspectFill, {100, 100}, {0, 0}},
    };
    for (const auto& c : cases) {
        const CGSize s = ImageUtility::resizedImageSizeForImageSize(c.image, c.mode, c.bounds);
        EXPECT_EQ(s.width, c.expected.width);
        EXPECT_EQ(s.height, c.expected.height);
    }
    try {
        ImageUtility::resizedImageSizeForImageSize({4, 3}, M::Center, {1, 1});
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Unsupported content mode: 4");
    }
    auto image = pixelimage::make(8, 6, marked, UIImageOrientation::Right);
    auto fitted = ImageUtility::resizedImageWithContentMode(image, M::ScaleAspectFit, {3, 8}, kCGInterpolationHigh);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(pixelimage::width(fitted), 3u);  // upright 6 × 8 at half size
    EXPECT_EQ(pixelimage::height(fitted), 4u);
    EXPECT_EQ(ImageUtility::resizedImage(image, {0, 4}, kCGInterpolationDefault), nullptr);
}

TEST(ImageGeometryTest, CropWithBorderFillsBlackWhereverTheRectangleLeaves) {
    auto photo = pixelimage::flat(300, 400, kGrey);
    // A square larger than the picture, centred: black bars 50 wide left and right.
    auto square = ImageUtility::croppedImageWithBorder(photo, {{-50, 0}, {400, 400}});
    ASSERT_TRUE(square);
    EXPECT_EQ(pixelimage::width(square), 400u);
    EXPECT_EQ(pixelimage::at(square, 25, 200), kBlack);
    EXPECT_EQ(pixelimage::at(square, 49, 200), kBlack);
    EXPECT_EQ(pixelimage::at(square, 50, 200), kGrey);
    EXPECT_EQ(pixelimage::at(square, 349, 0), kGrey);
    EXPECT_EQ(pixelimage::at(square, 350, 399), kBlack);

    struct Case {
        CGRect rect;
        CGPoint blackAt, greyAt;
    } leaving[] = {
        {{{-20, 10}, {100, 100}}, {5, 50}, {30, 50}},    // smaller, but out on the left
        {{{250, 380}, {100, 100}}, {70, 50}, {10, 10}},  // out at the right and the bottom
        {{{100, -30}, {50, 50}}, {20, 10}, {20, 40}},    // out at the top
    };
    for (const auto& c : leaving) {
        auto cut = ImageUtility::croppedImageWithBorder(photo, c.rect);
        ASSERT_TRUE(cut);
        EXPECT_EQ(pixelimage::width(cut), static_cast<std::size_t>(c.rect.size.width));
        EXPECT_EQ(pixelimage::at(cut, c.blackAt.x, c.blackAt.y), kBlack);
        EXPECT_EQ(pixelimage::at(cut, c.greyAt.x, c.greyAt.y), kGrey);
    }
    // Inside: the plain crop, keeping the orientation.
    auto tagged = pixelimage::make(5, 3, marked, UIImageOrientation::Down);
    auto inside = ImageUtility::croppedImageWithBorder(tagged, {{1, 0}, {2, 2}});
    EXPECT_EQ(inside->imageOrientation(), UIImageOrientation::Down);
    EXPECT_EQ(pixelimage::at(inside, 0, 0), kGreen);
}

}  // namespace
