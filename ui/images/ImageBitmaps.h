#pragma once
// Drawing surfaces shared by the image utilities' files.
#include <cstdint>

#include "platform/coregraphics/CGContext.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"

namespace image_bitmaps {

// An image context for the life of the object (top-left origin, points at the scale).
class ImageContext {
public:
    ImageContext(CGSize size, CGFloat scale) { UIGraphicsBeginImageContextWithOptions(size, false, scale); }
    ~ImageContext() { UIGraphicsEndImageContext(); }
    ImageContext(const ImageContext&) = delete;
    ImageContext& operator=(const ImageContext&) = delete;
    CGContextRef context() const { return UIGraphicsGetCurrentContext(); }
    UIImagePtr image() const { return UIGraphicsGetImageFromCurrentImageContext(); }
};

// Makes y grow upwards over a height, so a bitmap drawn into (0, 0, w, h) stands upright.
inline void flip(const CGContextRef& c, CGFloat height) {
    CGContextTranslateCTM(c, 0, height);
    CGContextScaleCTM(c, 1, -1);
}

// A device-RGB bitmap context with premultiplied alpha last, 4 × width bytes a row; null for
// a zero side.
inline CGContextRef rgbaContext(std::size_t width, std::size_t height,
                                CGBitmapInfo info = kCGImageAlphaPremultipliedLast) {
    if (width == 0 || height == 0) return nullptr;
    return CGBitmapContextCreate(nullptr, width, height, 8, width * 4, CGColorSpaceCreateDeviceRGB(), info);
}

inline UIImagePtr imageOf(const CGContextRef& c, CGFloat scale = 1,
                          UIImageOrientation orientation = UIImageOrientation::Up) {
    return c ? UIImage::imageWithCGImage(CGBitmapContextCreateImage(c), scale, orientation) : nullptr;
}

inline std::size_t pixelWidth(const UIImage& image) { return CGImageGetWidth(image.CGImage()); }
inline std::size_t pixelHeight(const UIImage& image) { return CGImageGetHeight(image.CGImage()); }

// The bitmap drawn at its pixel size into a new premultiplied RGBA context.
inline CGContextRef drawnPixels(const UIImage& image) {
    const std::size_t w = pixelWidth(image), h = pixelHeight(image);
    CGContextRef c = rgbaContext(w, h);
    if (c) CGContextDrawImage(c, CGRectMake(0, 0, w, h), image.CGImage());
    return c;
}

}  // namespace image_bitmaps
