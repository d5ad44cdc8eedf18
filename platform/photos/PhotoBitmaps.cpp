#include "platform/photos/PhotoBitmaps.h"

#include <algorithm>
#include <cmath>

namespace photos {

std::optional<platform::ImageBitmap> DecodeUpright(const std::string& path, std::uint32_t maxSide,
                                                   platform::ImageIOError* error) {
    auto source = platform::ImageSource::createWithFile(path, error);
    if (!source) return std::nullopt;
    const std::uint32_t full = std::max(source->pixelWidth(0), source->pixelHeight(0));
    return source->createThumbnailAtIndex(0, maxSide ? std::min(maxSide, full) : full, platform::ImagePixelFormat::RGBA,
                                          true, error);
}

UIImagePtr ImageFromBitmap(platform::ImageBitmap bitmap) {
    const std::size_t w = bitmap.width, h = bitmap.height;
    return UIImage::imageWithCGImage(CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(),
                                                   kCGImageAlphaNoneSkipLast, std::move(bitmap.pixels)));
}

platform::ImageBitmap BitmapFromImage(const CGImageRef& image) {
    const std::uint32_t w = static_cast<std::uint32_t>(CGImageGetWidth(image));
    const std::uint32_t h = static_cast<std::uint32_t>(CGImageGetHeight(image));
    platform::ImageBitmap out{w, h, platform::ImagePixelFormat::RGBA,
                              std::vector<std::uint8_t>(std::size_t{w} * h * 4)};
    const CGBitmapInfo info = CGImageGetBitmapInfo(image);
    const auto alpha = info & kCGBitmapAlphaInfoMask;
    const auto data = CGImageGetData(image);
    if (data && CGImageGetBitsPerPixel(image) == 32 && CGImageGetBitsPerComponent(image) == 8 &&
        (info & kCGBitmapByteOrderMask) == kCGBitmapByteOrderDefault &&
        (alpha == kCGImageAlphaLast || alpha == kCGImageAlphaNoneSkipLast) &&
        CGImageGetColorSpaceModel(image) == CGColorSpaceModel::RGB) {
        const std::size_t stride = CGImageGetBytesPerRow(image);
        for (std::uint32_t y = 0; y < h; ++y)
            std::copy_n(data->data() + y * stride, std::size_t{w} * 4, out.pixel(0, y));
        if (alpha == kCGImageAlphaNoneSkipLast)
            for (std::size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
        return out;
    }
    // B, G, R, A in memory with straight alpha: the engine's renders, several megapixels each,
    // swapped in place rather than read colour by colour.
    if (data && CGImageGetBitsPerPixel(image) == 32 && CGImageGetBitsPerComponent(image) == 8 &&
        (info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little &&
        (alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaNoneSkipFirst) &&
        CGImageGetColorSpaceModel(image) == CGColorSpaceModel::RGB) {
        const std::size_t stride = CGImageGetBytesPerRow(image);
        const bool opaque = alpha == kCGImageAlphaNoneSkipFirst;
        for (std::uint32_t y = 0; y < h; ++y) {
            const std::uint8_t* s = data->data() + y * stride;
            std::uint8_t* d = out.pixel(0, y);
            for (std::uint32_t x = 0; x < w; ++x) {
                d[x * 4 + 0] = s[x * 4 + 2];
                d[x * 4 + 1] = s[x * 4 + 1];
                d[x * 4 + 2] = s[x * 4 + 0];
                d[x * 4 + 3] = opaque ? 255 : s[x * 4 + 3];
            }
        }
        return out;
    }
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const CGColor c = CGImageGetPixel(image, x, y);
            std::uint8_t* p = out.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(std::lround(c.r * 255)),
            p[1] = static_cast<std::uint8_t>(std::lround(c.g * 255));
            p[2] = static_cast<std::uint8_t>(std::lround(c.b * 255)),
            p[3] = static_cast<std::uint8_t>(std::lround(c.a * 255));
        }
    return out;
}

}  // namespace photos
