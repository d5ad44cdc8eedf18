// Images with their scale and orientation, drawn upright; files and bundle lookups; colours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"

namespace {

// A 3 x 2 bitmap whose every pixel differs: red = 40 x + 1, green = 100 y + 1.
platform::ImageBitmap distinctPixels() {
    auto bitmap = platform::ImageBitmap::make(3, 2);
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 3; ++x) {
            std::uint8_t* p = bitmap->pixel(x, y);
            p[0] = static_cast<std::uint8_t>(40 * x + 1), p[1] = static_cast<std::uint8_t>(100 * y + 1), p[2] = 7,
            p[3] = 255;
        }
    return *bitmap;
}

CGImageRef imageOf(const platform::ImageBitmap& b) {
    return CGImageCreate(b.width, b.height, 8, 32, b.bytesPerRow(), CGColorSpaceCreateDeviceRGB(),
                         kCGImageAlphaNoneSkipLast, b.pixels);
}

TEST(Image, EveryOrientationHasItsSizeAndDrawsUpright) {
    const platform::ImageBitmap stored = distinctPixels();
    for (int code = 0; code < 8; ++code) {
        auto orientation = static_cast<UIImageOrientation>(code);
        auto image = UIImage::imageWithCGImage(imageOf(stored), 2, orientation);
        ASSERT_NE(image, nullptr);
        const bool turned = code == 2 || code == 3 || code == 6 || code == 7;
        EXPECT_EQ(image->size(), turned ? CGSizeMake(1, 1.5) : CGSizeMake(1.5, 1)) << code;

        // Drawn at its own size and scale, the picture must equal the stored pixels turned
        // upright by the image I/O layer.
        UIGraphicsBeginImageContextWithOptions(image->size(), false, 2);
        image->drawAtPoint({0, 0});
        UIImagePtr drawn = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        ASSERT_NE(drawn, nullptr);
        auto expected = platform::ApplyImageOrientation(stored, code);
        ASSERT_TRUE(expected);
        ASSERT_EQ(CGImageGetWidth(drawn->CGImage()), expected->width) << code;
        ASSERT_EQ(CGImageGetHeight(drawn->CGImage()), expected->height) << code;
        for (std::uint32_t y = 0; y < expected->height; ++y)
            for (std::uint32_t x = 0; x < expected->width; ++x) {
                CGColor c = CGImageGetPixel(drawn->CGImage(), x, y);
                EXPECT_NEAR(c.r * 255, expected->pixel(x, y)[0], 0.5)
                    << "orientation " << code << " at " << x << "," << y;
                EXPECT_NEAR(c.g * 255, expected->pixel(x, y)[1], 0.5)
                    << "orientation " << code << " at " << x << "," << y;
            }
    }
    EXPECT_EQ(UIImage::imageWithCGImage(nullptr), nullptr);
    EXPECT_EQ(UIImage::imageWithCGImage(imageOf(stored), 1, static_cast<UIImageOrientation>(9))->imageOrientation(),
              UIImageOrientation::Up);
}

TEST(Image, ImageContextsAreInPointsAtTheirScale) {
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(2, 1), true, 3);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
    CGContextFillRect(c, CGRectMake(1, 0, 1, 1));  // the right half, in points
    UIImagePtr image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->scale(), 3);
    EXPECT_EQ(image->size(), CGSizeMake(2, 1));
    EXPECT_EQ(CGImageGetPixel(image->CGImage(), 4, 2), (CGColor{0, 0, 1, 1}));
    EXPECT_EQ(CGImageGetPixel(image->CGImage(), 1, 1), (CGColor{0, 0, 0, 1}));  // opaque: black, not clear

    UIGraphicsBeginImageContextWithOptions(CGSizeMake(0, 5), false, 1);  // empty, yet paired
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
}

class ImageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("tavorin-uiimage-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        unsetenv("TAVORIN_RESOURCES");
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
};

TEST_F(ImageFileTest, FilesCarryOrientationScaleAndAlpha) {
    platform::ImageBitmap bitmap = distinctPixels();
    platform::ImageProperties properties{{platform::kCGImagePropertyOrientation, 6}};  // turned right
    ASSERT_TRUE(
        platform::WriteImageFile(bitmap, platform::ImageFileType::PNG, properties, (dir / "shot@2x.png").string()));
    bitmap.pixel(0, 0)[3] = 10;
    ASSERT_TRUE(platform::WriteImageFile(bitmap, platform::ImageFileType::PNG, {}, (dir / "icon.png").string()));

    UIImagePtr shot = UIImage::imageWithContentsOfFile((dir / "shot@2x.png").string());
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->imageOrientation(), UIImageOrientation::Right);
    EXPECT_EQ(shot->scale(), 2);
    EXPECT_EQ(shot->size(), CGSizeMake(1, 1.5));
    EXPECT_EQ(CGImageGetAlphaInfo(shot->CGImage()), kCGImageAlphaNoneSkipLast);
    EXPECT_NEAR(CGImageGetPixel(shot->CGImage(), 2, 1).r * 255, 81, 0.5);  // stored pixels, not turned

    UIImagePtr icon = UIImage::imageWithContentsOfFile((dir / "icon.png").string());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(CGImageGetAlphaInfo(icon->CGImage()), kCGImageAlphaLast);
    EXPECT_EQ(icon->scale(), 1);

    EXPECT_EQ(UIImage::imageWithContentsOfFile((dir / "missing.png").string()), nullptr);
    EXPECT_EQ(UIImage::imageWithData({1, 2, 3, 4}), nullptr);

    setenv("TAVORIN_RESOURCES", dir.string().c_str(), 1);
    UIImagePtr named = UIImage::imageNamed("shot");
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->scale(), 2);
    ASSERT_NE(UIImage::imageNamed("icon.png"), nullptr);
    EXPECT_EQ(UIImage::imageNamed("nothing"), nullptr);
}

TEST(Color, RGBWhiteAndHSB) {
    struct Case {
        CGFloat h, s, b;
        CGColor rgb;
    } cases[] = {
        {0, 1, 1, {1, 0, 0, 1}},       {1.0 / 3, 1, 1, {0, 1, 0, 1}},       {2.0 / 3, 1, 1, {0, 0, 1, 1}},
        {1.0 / 6, 1, 1, {1, 1, 0, 1}}, {0.5, 0.5, 0.8, {0.4, 0.8, 0.8, 1}}, {0.25, 0, 0.3, {0.3, 0.3, 0.3, 1}},
        {1.0, 1, 1, {1, 0, 0, 1}},  // a full turn is red again
    };
    for (const Case& c : cases) {
        ::CGColor got = UIColor::colorWithHue(c.h, c.s, c.b, 1).CGColor();
        EXPECT_NEAR(got.r, c.rgb.r, 1e-9) << c.h;
        EXPECT_NEAR(got.g, c.rgb.g, 1e-9) << c.h;
        EXPECT_NEAR(got.b, c.rgb.b, 1e-9) << c.h;
        CGFloat h, s, b, a;
        ASSERT_TRUE(UIColor::colorWithCGColor(c.rgb).getHue(&h, &s, &b, &a));
        if (c.s > 0 && c.h < 1) {
            EXPECT_NEAR(h, c.h, 1e-9);
        }
        EXPECT_NEAR(s, c.s, 1e-9);
        EXPECT_NEAR(b, c.b, 1e-9);
    }
    CGFloat w = -1, a = -1;
    EXPECT_TRUE(UIColor::colorWithWhite(0.25, 0.5).getWhite(&w, &a));
    EXPECT_EQ(w, 0.25);
    EXPECT_EQ(a, 0.5);
    w = -1;
    EXPECT_FALSE(UIColor::redColor().getWhite(&w, nullptr));
    EXPECT_EQ(w, -1);
    EXPECT_EQ(UIColor::colorWithRed(2, -1, 0.5, 3).CGColor(), (CGColor{1, 0, 0.5, 1}));  // clamped
    EXPECT_EQ(UIColor::blueColor().colorWithAlphaComponent(0.5), UIColor::colorWithRed(0, 0, 1, 0.5));
    EXPECT_EQ(UIColor(), UIColor::clearColor());
}

}  // namespace

TEST(Image, ResizableImagesStretchInNineSlicesKeepingTheirCaps) {
    // 6 x 6 points: red 2-point corners, blue edges between them, a green middle.
    UIGraphicsBeginImageContextWithOptions({6, 6}, true, 2);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(c, {0, 0, 1, 1});
    CGContextFillRect(c, {{0, 0}, {6, 6}});
    CGContextSetFillColorWithColor(c, {1, 0, 0, 1});
    for (const CGPoint p : {CGPoint{0, 0}, CGPoint{4, 0}, CGPoint{0, 4}, CGPoint{4, 4}})
        CGContextFillRect(c, {p, {2, 2}});
    CGContextSetFillColorWithColor(c, {0, 1, 0, 1});
    CGContextFillRect(c, {{2, 2}, {2, 2}});
    const UIImagePtr picture = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    const UIImagePtr sliced = picture->resizableImageWithCapInsets(UIEdgeInsetsMake(2, 2, 2, 2));
    EXPECT_FALSE(picture->isResizable());
    EXPECT_TRUE(sliced->isResizable());
    EXPECT_EQ(sliced->size(), picture->size());

    // Drawn over 20 x 10 points (40 x 20 pixels).
    UIGraphicsBeginImageContextWithOptions({20, 10}, true, 2);
    sliced->drawSlicedInRect({{0, 0}, {20, 10}});
    const UIImagePtr drawn = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    const struct {
        std::size_t x, y;
        CGColor color;
    } probes[] = {
        {1, 1, {1, 0, 0, 1}},   {38, 1, {1, 0, 0, 1}}, {1, 18, {1, 0, 0, 1}},  {38, 18, {1, 0, 0, 1}},
        {5, 1, {0, 0, 1, 1}},   {20, 2, {0, 0, 1, 1}}, {34, 1, {0, 0, 1, 1}},  {1, 10, {0, 0, 1, 1}},
        {20, 10, {0, 1, 0, 1}}, {6, 5, {0, 1, 0, 1}},  {33, 14, {0, 1, 0, 1}},
    };
    for (const auto& p : probes) {
        const CGColor got = CGImageGetPixel(drawn->CGImage(), p.x, p.y);
        EXPECT_NEAR(got.r, p.color.r, 0.02) << p.x << ", " << p.y;
        EXPECT_NEAR(got.g, p.color.g, 0.02) << p.x << ", " << p.y;
        EXPECT_NEAR(got.b, p.color.b, 0.02) << p.x << ", " << p.y;
    }

    // A picture view shows the slices over its whole bounds, again after a new size.
    auto view = std::make_shared<UIImageView>(CGRectMake(0, 0, 20, 10));
    view->setImage(sliced);
    view->layoutIfNeeded();
    EXPECT_EQ(CGImageGetWidth(view->layer()->contents()), 40u);
    view->setFrame(CGRectMake(0, 0, 30, 12));
    view->layoutIfNeeded();
    EXPECT_EQ(CGImageGetWidth(view->layer()->contents()), 60u);
    EXPECT_EQ(CGImageGetHeight(view->layer()->contents()), 24u);
    const CGColor corner = CGImageGetPixel(view->layer()->contents(), 59, 23);
    EXPECT_NEAR(corner.r, 1, 0.02);
}
