#pragma once
// An immutable bitmap image: width, height, component and pixel sizes, row length, colour
// model and bitmap info (alpha placement and byte order), over bytes it shares with nobody
// who can change them.
//
// Layouts that can be created (and drawn): RGB with 8-bit components (24 or 32 bits per
// pixel), 16-bit components (48 or 64) or 32-bit float components (96 or 128); grey with
// 8-bit components (8 or 16 bits per pixel). Alpha first or last, premultiplied, straight
// or skipped; 32-bit byte orders for 8-bit components, 16-bit ones for 16-bit components.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGGeometry.h"

enum CGImageAlphaInfo : std::uint32_t {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7,
};

using CGBitmapInfo = std::uint32_t;
inline constexpr CGBitmapInfo kCGBitmapAlphaInfoMask = 0x1F;
inline constexpr CGBitmapInfo kCGBitmapFloatComponents = 1u << 8;
inline constexpr CGBitmapInfo kCGBitmapByteOrderMask = 0x7000;
inline constexpr CGBitmapInfo kCGBitmapByteOrderDefault = 0u << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Little = 1u << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Little = 2u << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Big = 3u << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Big = 4u << 12;

class CGImage {
public:
    std::size_t width = 0, height = 0;
    std::size_t bitsPerComponent = 0, bitsPerPixel = 0, bytesPerRow = 0;
    CGColorSpaceModel colorModel = CGColorSpaceModel::RGB;
    CGBitmapInfo bitmapInfo = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> data;

    // Stand-in internals: the pixels as a cairo image surface (premultiplied native ARGB),
    // made on first use and kept (the image never changes). A `cairo_surface_t*` owned by
    // the image; null when the layout cannot be drawn.
    void* cairoSurface() const;
    ~CGImage();

private:
    mutable std::once_flag surfaceOnce_;
    mutable void* surface_ = nullptr;
};
using CGImageRef = std::shared_ptr<const CGImage>;

// Null when the sizes are zero or inconsistent, the layout is not one listed above, or the
// bytes are fewer than the rows need.
CGImageRef CGImageCreate(std::size_t width, std::size_t height, std::size_t bitsPerComponent, std::size_t bitsPerPixel,
                         std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo,
                         std::vector<std::uint8_t> data);
// The part of the image inside `rect` (pixels, made integral and clipped to the image); null
// when nothing is left.
CGImageRef CGImageCreateWithImageInRect(const CGImageRef& image, CGRect rect);

// The image seen through a mask stretched over it: where the mask has alpha, its alpha is the
// coverage; a mask without alpha covers by the inverse of its grey (black shows the image,
// white hides it). The result holds premultiplied alpha first in little-endian words. Null
// when either is null.
CGImageRef CGImageCreateWithMask(const CGImageRef& image, const CGImageRef& mask);

std::size_t CGImageGetWidth(const CGImageRef& image);
std::size_t CGImageGetHeight(const CGImageRef& image);
std::size_t CGImageGetBitsPerComponent(const CGImageRef& image);
std::size_t CGImageGetBitsPerPixel(const CGImageRef& image);
std::size_t CGImageGetBytesPerRow(const CGImageRef& image);
CGBitmapInfo CGImageGetBitmapInfo(const CGImageRef& image);
CGImageAlphaInfo CGImageGetAlphaInfo(const CGImageRef& image);
CGColorSpaceModel CGImageGetColorSpaceModel(const CGImageRef& image);
// The image's bytes, shared (no copy); null for a null image.
std::shared_ptr<const std::vector<std::uint8_t>> CGImageGetData(const CGImageRef& image);

// The colour of one pixel (x right, y down from the first row) as straight RGBA 0-1; for
// tests and colour sampling. Transparent black outside the image.
CGColor CGImageGetPixel(const CGImageRef& image, std::size_t x, std::size_t y);
