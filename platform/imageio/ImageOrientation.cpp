// Orientation codes and turning stored pixels upright.
#include <new>

#include "platform/imageio/ImageIO.h"

namespace platform {

namespace {
// Image orientation (index) to EXIF, and back.
constexpr int kEXIFOfImageOrientation[8] = {1, 3, 8, 6, 2, 4, 5, 7};
constexpr int kImageOrientationOfEXIF[9] = {0, 0, 4, 1, 5, 6, 3, 7, 2};
}  // namespace

int ImageOrientationFromEXIF(int exif) {
    return exif >= 1 && exif <= 8 ? kImageOrientationOfEXIF[exif] : 0;
}

int EXIFOrientationFromImageOrientation(int orientation) {
    return orientation >= 0 && orientation <= 7 ? kEXIFOfImageOrientation[orientation] : 1;
}

bool ImageOrientationSwapsSize(int orientation) {
    return orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
}

std::optional<ImageBitmap> ApplyEXIFOrientation(const ImageBitmap& stored, int exif) {
    if (exif < 1 || exif > 8) return std::nullopt;
    const std::uint32_t w = stored.width, h = stored.height;
    const bool swap = exif >= 5;
    auto out = ImageBitmap::make(swap ? h : w, swap ? w : h, stored.format);
    if (!out) return std::nullopt;
    if (stored.empty()) return out;
    // For each upright pixel (X, Y), the stored pixel (x, y) a viewer shows there. The EXIF
    // value says where the stored first row and first column appear: 2 first column on the
    // right; 3 first row at the bottom, first column on the right; 4 first row at the
    // bottom; 5 first row on the left, first column on top; 6 first row on the right, first
    // column on top; 7 first row on the right, first column at the bottom; 8 first row on
    // the left, first column at the bottom.
    const auto* src = reinterpret_cast<const std::uint8_t*>(stored.pixels.data());
    std::uint8_t* dst = out->pixels.data();
    for (std::uint32_t Y = 0; Y < out->height; ++Y) {
        for (std::uint32_t X = 0; X < out->width; ++X, dst += 4) {
            std::uint32_t x = X, y = Y;
            switch (exif) {
            case 2: x = w - 1 - X; break;
            case 3: x = w - 1 - X; y = h - 1 - Y; break;
            case 4: y = h - 1 - Y; break;
            case 5: x = Y; y = X; break;
            case 6: x = Y; y = h - 1 - X; break;
            case 7: x = w - 1 - Y; y = h - 1 - X; break;
            case 8: x = w - 1 - Y; y = X; break;
            default: break;
            }
            const std::uint8_t* s = src + (std::size_t{y} * w + x) * 4;
            dst[0] = s[0];
            dst[1] = s[1];
            dst[2] = s[2];
            dst[3] = s[3];
        }
    }
    return out;
}

std::optional<ImageBitmap> ApplyImageOrientation(const ImageBitmap& stored, int orientation) {
    if (orientation < 0 || orientation > 7) return std::nullopt;
    return ApplyEXIFOrientation(stored, EXIFOrientationFromImageOrientation(orientation));
}

}  // namespace platform
