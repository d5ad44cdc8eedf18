#pragma once
// Images built pixel by pixel for tests of image and colour utilities: straight RGBA bytes,
// rows from the top, optionally padded.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/uikit/UIImage.h"

namespace pixelimage {

using RGBA8 = std::array<std::uint8_t, 4>;

// `padding` extra bytes end each row.
inline UIImagePtr make(std::size_t width, std::size_t height,
                       const std::function<RGBA8(std::size_t x, std::size_t y)>& pixel,
                       UIImageOrientation orientation = UIImageOrientation::Up, CGFloat scale = 1,
                       std::size_t padding = 0, CGBitmapInfo info = kCGImageAlphaLast) {
    const std::size_t rowBytes = width * 4 + padding;
    std::vector<std::uint8_t> bytes(rowBytes * height, 0xAB);
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x) {
            const RGBA8 p = pixel(x, y);
            std::copy(p.begin(), p.end(), bytes.begin() + y * rowBytes + x * 4);
        }
    return UIImage::imageWithCGImage(
        CGImageCreate(width, height, 8, 32, rowBytes, CGColorSpaceCreateDeviceRGB(), info, std::move(bytes)), scale,
        orientation);
}

inline UIImagePtr flat(std::size_t width, std::size_t height, RGBA8 colour) {
    return make(width, height, [=](std::size_t, std::size_t) { return colour; });
}

// A pixel as straight RGBA bytes (rounded).
inline RGBA8 at(const UIImagePtr& image, std::size_t x, std::size_t y) {
    const CGColor c = CGImageGetPixel(image->CGImage(), x, y);
    auto byte = [](CGFloat v) { return static_cast<std::uint8_t>(v * 255 + 0.5); };
    return {byte(c.r), byte(c.g), byte(c.b), byte(c.a)};
}

inline std::size_t width(const UIImagePtr& image) { return CGImageGetWidth(image->CGImage()); }
inline std::size_t height(const UIImagePtr& image) { return CGImageGetHeight(image->CGImage()); }

}  // namespace pixelimage
