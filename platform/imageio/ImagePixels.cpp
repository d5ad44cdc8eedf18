// Operations on pixels: orientation codes, turning stored pixels upright, and reduction.
#include <algorithm>
#include <utility>

#include "platform/imageio/ImageIO.h"

namespace platform {

namespace {
// Image orientation (index) to EXIF, and back.
constexpr int kEXIFOfImageOrientation[8] = {1, 3, 8, 6, 2, 4, 5, 7};
constexpr int kImageOrientationOfEXIF[9] = {0, 0, 4, 1, 5, 6, 3, 7, 2};
}  // namespace

int ImageOrientationFromEXIF(int exif) { return exif >= 1 && exif <= 8 ? kImageOrientationOfEXIF[exif] : 0; }

int EXIFOrientationFromImageOrientation(int orientation) {
    return orientation >= 0 && orientation <= 7 ? kEXIFOfImageOrientation[orientation] : 1;
}

bool ImageOrientationSwapsSize(int orientation) {
    return orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
}

namespace {

std::optional<ImageBitmap> turnUpright(const std::uint8_t* src, std::uint32_t w, std::uint32_t h,
                                       ImagePixelFormat format, int exif) {
    if (exif < 1 || exif > 8) return std::nullopt;
    const bool swap = exif >= 5;
    auto out = ImageBitmap::make(swap ? h : w, swap ? w : h, format);
    if (!out) return std::nullopt;
    if (w == 0 || h == 0) return out;
    // For each upright pixel (X, Y), the stored pixel (x, y) a viewer shows there. The EXIF
    // value says where the stored first row and first column appear: 2 first column on the
    // right; 3 first row at the bottom, first column on the right; 4 first row at the
    // bottom; 5 first row on the left, first column on top; 6 first row on the right, first
    // column on top; 7 first row on the right, first column at the bottom; 8 first row on
    // the left, first column at the bottom.
    std::uint8_t* dst = out->pixels.data();
    for (std::uint32_t Y = 0; Y < out->height; ++Y) {
        for (std::uint32_t X = 0; X < out->width; ++X, dst += 4) {
            std::uint32_t x = X, y = Y;
            switch (exif) {
            case 2: x = w - 1 - X; break;
            case 3:
                x = w - 1 - X;
                y = h - 1 - Y;
                break;
            case 4: y = h - 1 - Y; break;
            case 5:
                x = Y;
                y = X;
                break;
            case 6:
                x = Y;
                y = h - 1 - X;
                break;
            case 7:
                x = w - 1 - Y;
                y = h - 1 - X;
                break;
            case 8:
                x = w - 1 - Y;
                y = X;
                break;
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

}  // namespace

std::optional<ImageBitmap> ApplyEXIFOrientation(const ImageBitmap& stored, int exif) {
    return turnUpright(stored.pixels.data(), stored.width, stored.height, stored.format, exif);
}

std::optional<ImageBitmap> ApplyImageOrientation(const ImageBitmap& stored, int orientation) {
    return ApplyImageOrientation(stored.pixels.data(), stored.width, stored.height, stored.format, orientation);
}

std::optional<ImageBitmap> ApplyImageOrientation(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                                                 ImagePixelFormat format, int orientation) {
    if (orientation < 0 || orientation > 7) return std::nullopt;
    return turnUpright(pixels, width, height, format, EXIFOrientationFromImageOrientation(orientation));
}

std::optional<ImageBitmap> ResizeImageBitmap(const ImageBitmap& src, std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0 || src.empty()) return std::nullopt;
    auto out = ImageBitmap::make(width, height, src.format);
    if (!out) return std::nullopt;
    // Source span [x0, x1) of each new column, every span at least one pixel wide.
    auto span = [](std::uint32_t i, std::uint32_t from, std::uint32_t to) {
        const auto a = static_cast<std::uint32_t>(std::uint64_t{i} * from / to);
        const auto b = static_cast<std::uint32_t>(std::uint64_t{i + 1} * from / to);
        return std::pair<std::uint32_t, std::uint32_t>{std::min(a, from - 1), std::max(b, std::min(a, from - 1) + 1)};
    };
    for (std::uint32_t Y = 0; Y < height; ++Y) {
        const auto [y0, y1] = span(Y, src.height, height);
        for (std::uint32_t X = 0; X < width; ++X) {
            const auto [x0, x1] = span(X, src.width, width);
            std::uint64_t c[3] = {0, 0, 0}, alpha = 0, count = 0;
            for (std::uint32_t y = y0; y < y1; ++y)
                for (std::uint32_t x = x0; x < x1; ++x) {
                    const std::uint8_t* p = src.pixel(x, y);
                    for (int k = 0; k < 3; ++k) c[k] += std::uint64_t{p[k]} * p[3];
                    alpha += p[3];
                    ++count;
                }
            std::uint8_t* d = out->pixel(X, Y);
            for (int k = 0; k < 3; ++k) d[k] = alpha ? static_cast<std::uint8_t>((c[k] + alpha / 2) / alpha) : 0;
            d[3] = static_cast<std::uint8_t>((alpha + count / 2) / count);
        }
    }
    return out;
}

}  // namespace platform
