#pragma once
// Decoded pictures for the library's answers: an image file read at a reduced scale and turned
// upright, and the pixels wrapped as an image.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIImage.h"

namespace photos {

// The picture of the file, upright, its longer side at most `maxSide` (0: full size).
std::optional<platform::ImageBitmap> DecodeUpright(const std::string& path, std::uint32_t maxSide,
                                                   platform::ImageIOError* error = nullptr);
UIImagePtr ImageFromBitmap(platform::ImageBitmap bitmap);

}  // namespace photos
