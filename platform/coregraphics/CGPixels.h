#pragma once
// Pixel layouts and conversions between them and cairo's native premultiplied ARGB
// (B, G, R, A bytes on the little-endian machines this runs on). Internal to the stand-in.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/coregraphics/CGImage.h"

namespace cgpixels {

struct Layout {
    enum class Alpha { None, Premultiplied, Straight, Skip };
    CGColorSpaceModel model = CGColorSpaceModel::RGB;
    int bitsPerComponent = 8;
    int bitsPerPixel = 32;
    int components = 4;        // per pixel, alpha or skipped byte included
    int color[3] = {0, 1, 2};  // logical component index of red, green, blue (all the same for grey)
    int alphaIndex = -1;       // logical index of alpha or of the skipped component
    Alpha alpha = Alpha::None;
    bool reverse32 = false;  // 8-bit components in little-endian 32-bit words
    bool little16 = false;   // 16-bit components stored little-endian
    bool swapFloat = false;  // float components stored big-endian

    bool is8BitRGBA() const { return bitsPerComponent == 8 && bitsPerPixel == 32 && components == 4; }
    // Byte offset of a logical component within a pixel of an 8-bit layout.
    int byteOffset(int logical) const { return reverse32 ? 3 - logical : logical; }
};

std::optional<Layout> describe(CGColorSpaceModel model, std::size_t bitsPerComponent, std::size_t bitsPerPixel,
                               CGBitmapInfo info);

// Straight RGBA 0-1 of one pixel.
CGColor readPixel(const Layout& layout, const std::uint8_t* pixel);

// Rows of any layout into premultiplied native ARGB.
void toCairo(const Layout& layout, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
             std::size_t dstStride, std::size_t width, std::size_t height);
// Premultiplied native ARGB into an 8-bit four-component layout.
void fromCairo(const std::uint8_t* src, std::size_t srcStride, const Layout& layout, std::uint8_t* dst,
               std::size_t dstStride, std::size_t width, std::size_t height);

}  // namespace cgpixels
