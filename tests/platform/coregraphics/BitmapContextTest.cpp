// Bitmap contexts: every pixel layout, Core Graphics' y-up space, state, paths and images,
// read back from the bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "platform/coregraphics/CGContext.h"
#include "support/ImageRegions.h"

namespace {

using Bytes = std::array<int, 4>;

Bytes bytesAt(const CGContextRef& c, std::size_t x, std::size_t y) {
    auto* p =
        static_cast<const std::uint8_t*>(CGBitmapContextGetData(c)) + y * CGBitmapContextGetBytesPerRow(c) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

void expectBytes(Bytes actual, Bytes expected, const std::string& what, int tolerance = 1) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << what << " byte " << i;
}

CGContextRef native(std::size_t w, std::size_t h) {
    return CGBitmapContextCreate(nullptr, w, h, 8, 0, CGColorSpaceCreateDeviceRGB(),
                                 kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
}

// Memory order B, G, R, A of a native context.
Bytes bgra(int r, int g, int b, int a) { return {b, g, r, a}; }

TEST(BitmapContext, EveryLayoutStoresTheColourInItsOwnByteOrder) {
    // Fill colour (1, 0.2, 0.6) at alpha 0.6: premultiplied (153, 31, 92, 153), straight
    // (255, 51, 153, 153), over the opaque black of a skipped-alpha context (153, 31, 92, 255).
    struct Case {
        const char* name;
        CGBitmapInfo info;
        Bytes expected;
    } cases[] = {
        {"premultiplied first, little (B G R A)",
         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little,
         {92, 31, 153, 153}},
        {"premultiplied first, big (A R G B)",
         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big,
         {153, 153, 31, 92}},
        {"premultiplied last, default (R G B A)", kCGImageAlphaPremultipliedLast, {153, 31, 92, 153}},
        {"premultiplied last, little (A B G R)",
         kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little,
         {153, 92, 31, 153}},
        {"straight last (R G B A)", kCGImageAlphaLast, {255, 51, 153, 153}},
        {"straight first, little (B G R A)", kCGImageAlphaFirst | kCGBitmapByteOrder32Little, {153, 51, 255, 153}},
        {"skip first, little (B G R x)", kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little, {92, 31, 153, 255}},
        {"skip last (R G B x)", kCGImageAlphaNoneSkipLast, {153, 31, 92, 255}},
    };
    for (const Case& c : cases) {
        bool skip = std::string(c.name).starts_with("skip");
        std::vector<std::uint8_t> memory(3 * 16, 0);
        if (skip)
            for (std::size_t i = 0; i < memory.size(); ++i)
                memory[i] = (c.info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little ? (i % 4 == 3 ? 255 : 0)
                                                                                            : 255 * (i % 4 == 3);
        auto ctx = CGBitmapContextCreate(memory.data(), 3, 3, 8, 16, CGColorSpaceCreateDeviceRGB(), c.info);
        ASSERT_NE(ctx, nullptr) << c.name;
        CGContextSetRGBFillColor(ctx, 1, 0.2, 0.6, 0.6);
        CGContextFillRect(ctx, CGRectMake(0, 0, 3, 3));
        const std::uint8_t* p = memory.data() + 16 + 4;
        expectBytes({p[0], p[1], p[2], p[3]}, c.expected, c.name);
        auto image = CGBitmapContextCreateImage(ctx);
        CGColor read = CGImageGetPixel(image, 1, 1);
        EXPECT_NEAR(read.r, skip ? 0.6 : 1.0, 0.01) << c.name;
        EXPECT_NEAR(read.g, skip ? 0.12 : 0.2, 0.01) << c.name;
        EXPECT_NEAR(read.a, skip ? 1.0 : 0.6, 0.01) << c.name;
    }
}

// A context let go into its image gives the image a copy would, and is gone; one that is held
// elsewhere too is copied and still draws.
TEST(BitmapContext, ReleasedIntoAnImageGivesWhatACopyGives) {
    auto rgb = CGColorSpaceCreateDeviceRGB();
    const CGBitmapInfo native = kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little;
    for (bool heldElsewhere : {false, true}) {
        CGContextRef ctx = CGBitmapContextCreate(nullptr, 3, 2, 8, 0, rgb, native);
        ASSERT_NE(ctx, nullptr);
        CGContextSetRGBFillColor(ctx, 1, 0.2, 0.6, 0.6);
        CGContextFillRect(ctx, CGRectMake(0, 0, 2, 2));
        const CGImageRef copy = CGBitmapContextCreateImage(ctx);
        const CGContextRef other = heldElsewhere ? ctx : nullptr;
        const CGImageRef taken = CGBitmapContextReleaseIntoImage(ctx);
        EXPECT_EQ(ctx, nullptr);
        ASSERT_NE(taken, nullptr);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) expectColor(CGImageGetPixel(taken, x, y), CGImageGetPixel(copy, x, y), "pixel");
        if (!other) continue;
        CGContextSetRGBFillColor(other, 0, 0, 1, 1);
        CGContextFillRect(other, CGRectMake(0, 0, 3, 2));
        expectColor(CGImageGetPixel(CGBitmapContextCreateImage(other), 2, 1), {0, 0, 1, 1}, "still draws");
        expectColor(CGImageGetPixel(taken, 0, 0), {1, 0.2, 0.6, 0.6}, "the image kept what was drawn");
    }
}

TEST(BitmapContext, RefusesLayoutsItCannotDraw) {
    auto rgb = CGColorSpaceCreateDeviceRGB();
    std::vector<std::uint8_t> memory(64);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, 0, 4, 8, 0, rgb, kCGImageAlphaPremultipliedLast), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 16, 0, rgb, kCGImageAlphaPremultipliedLast), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaNone), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(memory.data(), 4, 4, 8, 12, rgb, kCGImageAlphaPremultipliedLast), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, 4, 4, 8, 0, CGColorSpaceCreateDeviceGray(), kCGImageAlphaNone), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(nullptr, 40000, 4, 8, 0, rgb, kCGImageAlphaPremultipliedLast), nullptr);
}

TEST(BitmapContext, OriginIsBottomLeftUntilFlipped) {
    auto c = native(2, 2);
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
    expectBytes(bytesAt(c, 0, 1), bgra(255, 0, 0, 255), "bottom-left is the last row");
    expectBytes(bytesAt(c, 0, 0), {0, 0, 0, 0}, "first row untouched");

    CGContextTranslateCTM(c, 0, 2);
    CGContextScaleCTM(c, 1, -1);
    CGAffineTransform ctm = CGContextGetCTM(c);
    EXPECT_EQ(ctm, (CGAffineTransform{1, 0, 0, -1, 0, 2}));
    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
    CGContextFillRect(c, CGRectMake(1, 0, 1, 1));
    expectBytes(bytesAt(c, 1, 0), bgra(0, 0, 255, 255), "flipped: top-right is the first row");
}

TEST(BitmapContext, StateStackAlphaBlendAndCollapsedTransforms) {
    auto c = native(4, 1);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextSaveGState(c);
    CGContextSetAlpha(c, 0.5);
    CGContextSetRGBFillColor(c, 0, 1, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
    CGContextScaleCTM(c, 0, 1);  // space collapses: nothing is drawn until restored
    CGContextFillRect(c, CGRectMake(1, 0, 1, 1));
    CGContextRestoreGState(c);
    CGContextRestoreGState(c);  // unbalanced: ignored
    CGContextFillRect(c, CGRectMake(2, 0, 1, 1));
    expectBytes(bytesAt(c, 0, 0), bgra(0, 128, 0, 128), "half alpha green");
    expectBytes(bytesAt(c, 1, 0), {0, 0, 0, 0}, "collapsed transform");
    expectBytes(bytesAt(c, 2, 0), bgra(255, 255, 255, 255), "restored colour and alpha");

    CGContextSetBlendMode(c, kCGBlendModeCopy);
    CGContextSetRGBFillColor(c, 0, 0, 1, 0.5);
    CGContextFillRect(c, CGRectMake(2, 0, 1, 1));
    expectBytes(bytesAt(c, 2, 0), bgra(0, 0, 128, 128), "copy replaces");
    CGContextSetBlendMode(c, kCGBlendModeNormal);
    CGContextClearRect(c, CGRectMake(0, 0, 4, 1));
    expectBytes(bytesAt(c, 0, 0), {0, 0, 0, 0}, "cleared");
}

TEST(BitmapContext, PathsFillStrokeAndClip) {
    auto c = native(10, 10);
    // Even-odd: a square with a hole.
    CGContextAddRect(c, CGRectMake(0, 0, 10, 10));
    CGContextAddRect(c, CGRectMake(3, 3, 4, 4));
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextEOFillPath(c);
    expectBytes(bytesAt(c, 1, 1), bgra(255, 0, 0, 255), "outside the hole");
    expectBytes(bytesAt(c, 5, 5), {0, 0, 0, 0}, "inside the hole");

    // The path survives a restore where it lies, though the transform it was built in is gone.
    CGContextClearRect(c, CGRectMake(0, 0, 10, 10));
    CGContextSaveGState(c);
    CGContextTranslateCTM(c, 5, 0);
    CGContextMoveToPoint(c, -5, 0);
    CGContextRestoreGState(c);
    CGContextAddLineToPoint(c, 10, 0);
    CGContextAddLineToPoint(c, 10, 10);
    CGContextClosePath(c);
    CGContextSetRGBFillColor(c, 0, 1, 0, 1);
    CGContextFillPath(c);
    expectBytes(bytesAt(c, 8, 8), bgra(0, 255, 0, 255), "triangle below the diagonal, bottom right");
    expectBytes(bytesAt(c, 1, 1), {0, 0, 0, 0}, "above the diagonal");
    expectBytes(bytesAt(c, 1, 7), {0, 0, 0, 0}, "just above the diagonal: the path did not move");

    CGContextClearRect(c, CGRectMake(0, 0, 10, 10));
    CGContextSetRGBStrokeColor(c, 0, 0, 1, 1);
    CGContextSetLineWidth(c, 2);
    CGContextStrokeRect(c, CGRectMake(1, 1, 8, 8));
    expectBytes(bytesAt(c, 0, 5), bgra(0, 0, 255, 255), "stroke outer half");
    expectBytes(bytesAt(c, 5, 5), {0, 0, 0, 0}, "inside the stroke");

    CGContextClearRect(c, CGRectMake(0, 0, 10, 10));
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillEllipseInRect(c, CGRectMake(0, 0, 10, 10));
    expectBytes(bytesAt(c, 5, 5), bgra(255, 255, 255, 255), "ellipse centre");
    expectBytes(bytesAt(c, 0, 0), {0, 0, 0, 0}, "ellipse corner");
}

TEST(BitmapContext, CallersBytesOfAConvertedLayoutSurviveDrawing) {
    std::vector<std::uint8_t> memory(2 * 4, 0);
    memory[0] = 10, memory[1] = 20, memory[2] = 30, memory[3] = 255;  // R G B A, written by the caller
    auto c =
        CGBitmapContextCreate(memory.data(), 2, 1, 8, 8, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(1, 0, 1, 1));
    EXPECT_EQ((std::vector<int>(memory.begin(), memory.end())),
              (std::vector<int>{10, 20, 30, 255, 255, 255, 255, 255}));
}

TEST(BitmapContext, SnapshotImageIsACopy) {
    auto c = native(1, 1);
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
    auto image = CGBitmapContextCreateImage(c);
    CGContextSetRGBFillColor(c, 0, 1, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
    EXPECT_EQ(CGImageGetPixel(image, 0, 0), (CGColor{1, 0, 0, 1}));
    EXPECT_EQ(CGImageGetBitmapInfo(image), kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
}

TEST(Path, BoundsAndHitTesting) {
    auto rounded = CGPathCreateWithRoundedRect(CGRectMake(10, 20, 100, 50), 10, 10);
    CGRect box = CGPathGetBoundingBox(rounded);
    EXPECT_NEAR(box.origin.x, 10, 1e-6);
    EXPECT_NEAR(box.origin.y, 20, 1e-6);
    EXPECT_NEAR(box.size.width, 100, 1e-6);
    EXPECT_NEAR(box.size.height, 50, 1e-6);
    EXPECT_TRUE(CGPathContainsPoint(rounded, nullptr, {60, 45}, false));
    EXPECT_FALSE(CGPathContainsPoint(rounded, nullptr, {10.5, 20.5}, false));  // cut corner

    auto ring = CGPathCreateMutable();
    CGPathAddEllipseInRect(ring, nullptr, CGRectMake(0, 0, 100, 100));
    CGPathAddEllipseInRect(ring, nullptr, CGRectMake(25, 25, 50, 50));
    EXPECT_TRUE(CGPathContainsPoint(ring, nullptr, {50, 50}, false));
    EXPECT_FALSE(CGPathContainsPoint(ring, nullptr, {50, 50}, true));
    EXPECT_TRUE(CGPathContainsPoint(ring, nullptr, {10, 50}, true));

    CGAffineTransform shift = CGAffineTransformMakeTranslation(1000, 0);
    auto arc = CGPathCreateMutable();
    CGPathAddArc(arc, &shift, 0, 0, 10, 0, std::numbers::pi, false);  // upper half in y-up space
    CGPathCloseSubpath(arc);
    EXPECT_TRUE(CGPathContainsPoint(arc, nullptr, {1000, 5}, false));
    EXPECT_FALSE(CGPathContainsPoint(arc, nullptr, {1000, -5}, false));
    EXPECT_TRUE(CGPathIsEmpty(CGPathCreateMutable()));
}

}  // namespace
