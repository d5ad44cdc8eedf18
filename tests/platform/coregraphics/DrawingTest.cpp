// Gradients, shadows, clip bounds, the antialiasing switches and masked images, read back
// from the pixels they make.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/coregraphics/CGContext.h"
#include "support/ImageRegions.h"

namespace {

CGContextRef rgba(std::size_t w, std::size_t h) {
    return CGBitmapContextCreate(nullptr, w, h, 8, 0, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
}

// Straight colour of the pixel at (x, y), y counted from the top row.
CGColor at(const CGContextRef& c, std::size_t x, std::size_t y) {
    return CGImageGetPixel(CGBitmapContextCreateImage(c), x, y);
}

TEST(Drawing, LinearGradientRunsAlongItsAxisAndExtendsOnlyWhereAsked) {
    auto gradient = CGGradientCreateWithColors(CGColorSpaceCreateDeviceRGB(), {{1, 0, 0, 1}, {0, 0, 1, 1}});
    struct Case {
        const char* name;
        unsigned options;
        CGColor left, right;  // at x = 5 and x = 95, outside the axis from 25 to 75
    } cases[] = {
        {"no extension", 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"before", kCGGradientDrawsBeforeStartLocation, {1, 0, 0, 1}, {0, 0, 0, 0}},
        {"after", kCGGradientDrawsAfterEndLocation, {0, 0, 0, 0}, {0, 0, 1, 1}},
        {"both", kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation, {1, 0, 0, 1}, {0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        auto ctx = rgba(100, 4);
        CGContextDrawLinearGradient(ctx, gradient, {25, 0}, {75, 0}, c.options);
        expectColor(at(ctx, 5, 1), c.left, std::string(c.name) + " left");
        expectColor(at(ctx, 95, 1), c.right, std::string(c.name) + " right");
        expectColor(at(ctx, 50, 1), {0.5, 0, 0.5, 1}, std::string(c.name) + " middle", 0.03);
    }
    EXPECT_EQ(CGGradientCreateWithColors(nullptr, {}), nullptr);
    // Uneven locations move the midpoint.
    auto ctx = rgba(100, 4);
    CGContextDrawLinearGradient(ctx, CGGradientCreateWithColors(nullptr, {{1, 0, 0, 1}, {0, 0, 1, 1}}, {0.5, 1}),
                                {0, 0}, {100, 0}, 0);
    expectColor(at(ctx, 30, 1), {1, 0, 0, 1}, "before the first location");
}

TEST(Drawing, ClipBoundingBoxIsInUserSpace) {
    auto ctx = rgba(100, 80);
    EXPECT_EQ(CGContextGetClipBoundingBox(ctx), CGRectMake(0, 0, 100, 80));
    CGContextClipToRect(ctx, CGRectMake(10, 20, 30, 40));
    CGContextTranslateCTM(ctx, 5, 5);
    EXPECT_EQ(CGContextGetClipBoundingBox(ctx), CGRectMake(5, 15, 30, 40));
    CGContextClipToRect(ctx, CGRectMake(60, 60, 5, 5));
    EXPECT_EQ(CGContextGetClipBoundingBox(ctx), CGRectZero);
}

TEST(Drawing, ShadowIsABlurredOffsetTintedCopyUnderTheShape) {
    auto ctx = rgba(80, 80);
    CGContextSetShadowWithColor(ctx, {12, -12}, 4, CGColor{0, 0, 1, 1});  // right and down
    CGContextSetRGBFillColor(ctx, 1, 0, 0, 1);
    CGContextFillRect(ctx, CGRectMake(20, 30, 30, 30));  // rows 20 to 49 from the top
    expectColor(at(ctx, 30, 30), {1, 0, 0, 1}, "the shape covers its shadow");
    expectColor(at(ctx, 55, 45), {0, 0, 1, 1}, "inside the shadow");
    const CGColor edge = at(ctx, 62, 45), beyond = at(ctx, 70, 45);
    EXPECT_GT(edge.a, 0.1) << "the blur reaches past the edge";
    EXPECT_LT(edge.a, 0.9);
    EXPECT_EQ(beyond.a, 0) << "nothing beyond the radius";
    expectColor(at(ctx, 15, 45), {0, 0, 0, 0}, "no shadow on the other side");

    // No colour turns it off again.
    CGContextSetShadowWithColor(ctx, {12, -12}, 4, std::nullopt);
    CGContextFillRect(ctx, CGRectMake(0, 0, 5, 5));
    expectColor(at(ctx, 10, 70), {0, 0, 0, 0}, "no shadow once turned off");
}

TEST(Drawing, AntialiasingNeedsBothSwitches) {
    struct Case {
        bool allows, should, smooth;
    } cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
    for (const Case& c : cases) {
        auto ctx = rgba(10, 10);
        CGContextSetAllowsAntialiasing(ctx, c.allows);
        CGContextSetShouldAntialias(ctx, c.should);
        CGContextSetRGBFillColor(ctx, 1, 1, 1, 1);
        CGContextFillRect(ctx, CGRectMake(2.5, 0, 5, 10));
        const double edge = at(ctx, 2, 5).a;
        if (c.smooth) EXPECT_NEAR(edge, 0.5, 0.02);
        else EXPECT_TRUE(edge == 0 || edge == 1) << edge;
    }
}

TEST(Drawing, MaskedImagesTakeCoverageFromTheMask) {
    auto rgb = CGColorSpaceCreateDeviceRGB();
    auto image = CGImageCreate(2, 1, 8, 32, 8, rgb, kCGImageAlphaLast, {255, 0, 0, 255, 0, 255, 0, 255});
    // A mask with alpha covers by its alpha; a grey one by its inverse; both stretch.
    auto alphaMask = CGImageCreate(1, 1, 8, 16, 2, CGColorSpaceCreateDeviceGray(), kCGImageAlphaLast, {255, 102});
    auto greyMask = CGImageCreate(2, 1, 8, 8, 2, CGColorSpaceCreateDeviceGray(), kCGImageAlphaNone, {0, 255});
    auto byAlpha = CGImageCreateWithMask(image, alphaMask);
    auto byGrey = CGImageCreateWithMask(image, greyMask);
    ASSERT_TRUE(byAlpha && byGrey);
    expectColor(CGImageGetPixel(byAlpha, 0, 0), {1, 0, 0, 0.4}, "alpha mask, first");
    expectColor(CGImageGetPixel(byAlpha, 1, 0), {0, 1, 0, 0.4}, "alpha mask, stretched");
    expectColor(CGImageGetPixel(byGrey, 0, 0), {1, 0, 0, 1}, "black shows");
    EXPECT_EQ(CGImageGetPixel(byGrey, 1, 0).a, 0) << "white hides";
    EXPECT_EQ(CGImageCreateWithMask(image, nullptr), nullptr);
}

}  // namespace
