#include "platform/photos/PHImageBitmap.h"

#include <algorithm>

namespace photos {

std::optional<platform::ImageBitmap> DecodeUpright(const std::string& path, std::uint32_t maxSide,
                                                   platform::ImageIOError* error) {
    auto source = platform::ImageSource::createWithFile(path, error);
    if (!source) return std::nullopt;
    const std::uint32_t full = std::max(source->pixelWidth(0), source->pixelHeight(0));
    return source->createThumbnailAtIndex(0, maxSide ? std::min(maxSide, full) : full,
                                          platform::ImagePixelFormat::RGBA, true, error);
}

UIImagePtr ImageFromBitmap(platform::ImageBitmap bitmap) {
    const std::size_t w = bitmap.width, h = bitmap.height;
    return UIImage::imageWithCGImage(CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(),
                                                   kCGImageAlphaNoneSkipLast, std::move(bitmap.pixels)));
}

}  // namespace photos
