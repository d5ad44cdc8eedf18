// Fonts by the platform's names and strings measured and drawn with them.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/uikit/NSStringDrawing.h"
#include "platform/uikit/UIGraphics.h"

namespace {

// The bounding box of the pixels with any ink, in pixels; empty when there is none.
CGRect inkBounds(const CGImageRef& image) {
    std::size_t left = SIZE_MAX, top = SIZE_MAX, right = 0, bottom = 0;
    for (std::size_t y = 0; y < CGImageGetHeight(image); ++y)
        for (std::size_t x = 0; x < CGImageGetWidth(image); ++x)
            if (CGImageGetPixel(image, x, y).a > 0) {
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
            }
    if (left == SIZE_MAX) return CGRectZero;
    return CGRectMake(left, top, right - left, bottom - top);
}

UIImagePtr drawn(CGSize size, const std::function<void()>& draw) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    draw();
    UIImagePtr image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

TEST(UIFont, PlatformNamesMapToInstalledFaces) {
    struct Case {
        const char* name;
        const char* face;  // part of the installed face's description
    };
    const Case cases[] = {
        {"STHeitiTC-Medium", "Sans"},
        {"HelveticaNeue", "Sans"},
        {"NoSuchFamily-Bold", "Bold"},  // unknown: the style picks the weight, fontconfig the face
        {"", "Sans"},
    };
    for (const Case& c : cases) {
        const std::string face = UIFont::fontWithName(c.name, 18).installedFaceDescription();
        EXPECT_NE(face.find(c.face), std::string::npos) << c.name << ": " << face;
    }
    EXPECT_EQ(UIFont::fontWithName("HelveticaNeue", -3).pointSize(), 0);
    EXPECT_EQ(UIFont::systemFontOfSize(14).fontWithSize(20), UIFont::systemFontOfSize(20));
    EXPECT_EQ(UIFont(), UIFont::fontWithName("Helvetica", 12));
}

TEST(NSStringDrawing, SizesFollowTheTextAndTheFont) {
    const NSStringAttributes small{UIFont::fontWithName("STHeitiTC-Medium", 18)};
    const NSStringAttributes large{UIFont::fontWithName("STHeitiTC-Medium", 36)};
    const CGSize size = NSStringDrawing::sizeWithAttributes("Norm 4 Alt", small);
    EXPECT_GT(size.width, 50);
    EXPECT_LT(size.width, 150);
    EXPECT_GT(size.height, 18);
    EXPECT_LT(size.height, 30);
    EXPECT_GT(NSStringDrawing::sizeWithAttributes("Norm 4 Alt longer", small).width, size.width);
    const CGSize twice = NSStringDrawing::sizeWithAttributes("Norm 4 Alt", large);
    EXPECT_NEAR(twice.width, 2 * size.width, 0.05 * size.width);  // unhinted: scales with the font
    EXPECT_NEAR(twice.height, 2 * size.height, 0.05 * size.height);
    EXPECT_EQ(NSStringDrawing::sizeWithAttributes("", small), CGSizeZero);
}

TEST(NSStringDrawing, DrawsInTheColourInsideTheMeasuredBoxAtThePoint) {
    const NSStringAttributes attributes{UIFont::fontWithName("STHeitiTC-Medium", 18), UIColor::redColor()};
    const CGSize size = NSStringDrawing::sizeWithAttributes("Hg", attributes);
    const CGPoint at{7, 5};
    UIImagePtr image = drawn({40, 40}, [&] { NSStringDrawing::drawAtPoint("Hg", at, attributes); });
    ASSERT_NE(image, nullptr);
    const CGRect ink = inkBounds(image->CGImage());
    ASSERT_FALSE(CGRectIsEmpty(ink));
    // Upright in the top-left space of the image context, within the line box (a pixel of
    // antialiasing allowed), reaching from near its top to below the baseline.
    EXPECT_GE(ink.origin.x, at.x - 1);
    EXPECT_GE(ink.origin.y, at.y - 1);
    EXPECT_LE(CGRectGetMaxX(ink), std::ceil(at.x + size.width) + 1);
    EXPECT_LE(CGRectGetMaxY(ink), std::ceil(at.y + size.height) + 1);
    EXPECT_LT(ink.origin.y, at.y + size.height / 3) << "capitals start near the top";
    EXPECT_GT(CGRectGetMaxY(ink), at.y + size.height * 2 / 3) << "the descender of g below";
    int solid = 0;
    for (std::size_t y = 0; y < 40; ++y)
        for (std::size_t x = 0; x < 40; ++x) {
            const CGColor pixel = CGImageGetPixel(image->CGImage(), x, y);
            if (pixel.a < 0.99) continue;
            ++solid;
            EXPECT_NEAR(pixel.r, 1, 0.01);
            EXPECT_NEAR(pixel.g + pixel.b, 0, 0.01);
        }
    EXPECT_GT(solid, 20);
}

TEST(NSStringDrawing, FollowsTheContextAndLeavesItsPathAlone) {
    const NSStringAttributes attributes{UIFont::systemFontOfSize(14), UIColor::blackColor()};
    UIImagePtr atPoint = drawn({40, 30}, [&] { NSStringDrawing::drawAtPoint("Ab", {10, 6}, attributes); });
    // The same text through a translated transform, into the context given.
    UIImagePtr translated = drawn({40, 30}, [&] {
        CGContextRef context = UIGraphicsGetCurrentContext();
        CGContextTranslateCTM(context, 10, 6);
        NSStringDrawing::drawAtPointInContext(context, "Ab", CGPointZero, attributes);
    });
    ASSERT_TRUE(atPoint && translated);
    for (std::size_t y = 0; y < 30; ++y)
        for (std::size_t x = 0; x < 40; ++x)
            ASSERT_EQ(CGImageGetPixel(atPoint->CGImage(), x, y), CGImageGetPixel(translated->CGImage(), x, y))
                << x << "," << y;

    // The context's alpha fades the text; a path begun before is still there to fill.
    UIImagePtr faded = drawn({40, 30}, [&] {
        CGContextRef context = UIGraphicsGetCurrentContext();
        CGContextAddRect(context, CGRectMake(0, 0, 4, 4));
        CGContextSetAlpha(context, 0.5);
        NSStringDrawing::drawAtPoint("Ab", {10, 6}, attributes);
        CGContextSetAlpha(context, 1);
        CGContextSetRGBFillColor(context, 0, 0, 1, 1);
        CGContextFillPath(context);
    });
    double darkest = 0;
    for (std::size_t y = 0; y < 30; ++y)
        for (std::size_t x = 10; x < 40; ++x) darkest = std::max(darkest, CGImageGetPixel(faded->CGImage(), x, y).a);
    EXPECT_NEAR(darkest, 0.5, 0.01);
    EXPECT_EQ(CGImageGetPixel(faded->CGImage(), 1, 1), CGColorMake(0, 0, 1, 1));

    // Without a current context nothing happens.
    NSStringDrawing::drawAtPoint("Ab", CGPointZero, attributes);
}

}  // namespace

namespace {

TEST(NSStringDrawing, CastsTheContextsShadow) {
    // White text with a red shadow moved right: red ink appears where the text has none.
    const NSStringAttributes white{UIFont::boldSystemFontOfSize(30), UIColor::whiteColor()};
    auto plain = drawn({120, 50}, [&] { NSStringDrawing::drawAtPoint("II", {5, 5}, white); });
    auto shadowed = drawn({120, 50}, [&] {
        CGContextSetShadowWithColor(UIGraphicsGetCurrentContext(), {20, 0}, 2, CGColor{1, 0, 0, 1});
        NSStringDrawing::drawAtPoint("II", {5, 5}, white);
    });
    const CGRect ink = inkBounds(plain->CGImage()), shadowInk = inkBounds(shadowed->CGImage());
    EXPECT_GT(CGRectGetMaxX(shadowInk), CGRectGetMaxX(ink) + 15) << "the shadow reaches past the text";
    const CGColor past = CGImageGetPixel(shadowed->CGImage(), static_cast<std::size_t>(CGRectGetMaxX(ink) + 17),
                                         static_cast<std::size_t>(CGRectGetMidY(ink)));
    EXPECT_GT(past.a, 0.3);
    EXPECT_NEAR(past.r, 1, 0.01);
    EXPECT_LT(past.g, 0.01);
}

}  // namespace
